#!/usr/bin/env bash
# Installs a .deb into a fresh Debian 12 root and uses it there: apt resolves its dependencies from
# the Debian mirror this machine's apt uses, SW40917 starts offscreen and makes its workspace,
# SW40917-cli compiles the example. Needs root and the network to that mirror; not part of
# tools/test.sh for that reason.
# Usage: tools/deb-check-debian12.sh PACKAGE.deb [ROOT_DIR]   (ROOT_DIR is kept for a re-run)
set -euo pipefail
deb=$(realpath "$1")
root=${2:-/tmp/debian12-root}
[ "$(id -u)" -eq 0 ] || { echo "deb-check: needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap

if [ ! -x "$root/usr/bin/apt-get" ]; then
  mirror=$(apt-get indextargets --format '$(CODENAME) $(REPO_URI)' | awk '$1 == "bookworm" { print $2; exit }')
  [ -n "$mirror" ] || { echo "deb-check: this machine's apt configuration has no bookworm source" >&2; exit 1; }
  debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
cp "$deb" "$root/tmp/package.deb"
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/package.deb
in_root sh -ec '
  rm -rf /tmp/home && mkdir -p /tmp/home/run && chmod 700 /tmp/home/run
  HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/home/run QT_QPA_PLATFORM=offscreen SW40917 --self-test
  ws=/tmp/home/.local/share/Korvane/SW40917
  ls "$ws" "$ws/LANGUAGE"
  rm -rf /tmp/Example && cp -r /usr/share/sw40917/examples/Example /tmp/Example
  SW40917-cli compile /tmp/Example
  SW40917-cli dump /tmp/Example/bin/bank2.bin | tail -n 3
'
echo "deb-check: $(basename "$deb") installs and works in a fresh Debian 12 root ($root)"
