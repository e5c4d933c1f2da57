#!/usr/bin/env bash
# Installs the programs into a temporary prefix and uses them as a user would: SW40917 starts
# offscreen with a temporary home, must make its workspace there and find the shipped languages;
# SW40917-cli compiles the example that start copied into the workspace. Then builds the .deb,
# checks its contents and dependencies, unpacks it and runs the same checks on the unpacked tree.
# Usage: tools/install-check.sh [BUILD_DIR]   (default build-release, configured as Release)
set -euo pipefail
cd "$(dirname "$0")/.."
# The language files have accented names, which CPack's archiver cannot read in the C locale.
export LC_ALL=C.UTF-8
build=${1:-build-release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSW_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target SW40917 SW40917-cli

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "install-check: $*" >&2; exit 1; }

# Starts PREFIX/bin/SW40917 with a fresh home, then compiles the workspace's example.
use_installed() {
  local prefix=$1 home=$2
  mkdir -p "$home/run" && chmod 700 "$home/run"
  local out
  out=$(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/SW40917" --self-test) || fail "$prefix/bin/SW40917 --self-test failed: $out"
  echo "$out"
  local ws="$home/.local/share/Korvane/SW40917"
  grep -qx "Workspace: $ws" <<<"$out" || fail "the workspace is not $ws"
  for lang in English Deutsch Español Français Italiano; do
    [ -f "$ws/LANGUAGE/$lang.lng" ] && [ -f "$ws/LANGUAGE/$lang.bmp" ] || fail "$lang not seeded into $ws/LANGUAGE"
  done
  for f in MASTER PROJECTS/Example/ParGen.xml Fabricor.xml; do [ -e "$ws/$f" ] || fail "$ws/$f missing"; done
  [ -z "$(ls -A "$prefix/bin" | grep -v '^SW40917')" ] || fail "the program wrote beside itself in $prefix/bin"
  # Qt's own texts of the shipped languages come with the program.
  for code in de es fr it; do
    [ -f "$prefix/share/sw40917/translations/qtbase_$code.qm" ] || fail "qtbase_$code.qm not installed"
  done
  "$prefix/bin/SW40917-cli" compile "$ws/PROJECTS/Example"
  # dump fails on a bank2.bin whose checksum does not match.
  "$prefix/bin/SW40917-cli" dump "$ws/PROJECTS/Example/bin/bank2.bin" >/dev/null
}

echo "== cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$tmp/prefix" >/dev/null
for f in bin/SW40917 bin/SW40917-cli share/sw40917/LANGUAGE/English.lng share/sw40917/examples/Example/DefReg.xml \
  share/applications/sw40917.desktop share/icons/hicolor/scalable/apps/sw40917.svg; do
  [ -e "$tmp/prefix/$f" ] || fail "$f not installed"
done
use_installed "$tmp/prefix" "$tmp/home1"

echo "== .deb"
(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null)
deb=$(ls "$tmp"/deb/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends"
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6serialport6 libqt6xml6; do
  grep -q "$p" <<<"$depends" || fail "the .deb does not depend on $p"
done
dpkg-deb -x "$deb" "$tmp/root"
use_installed "$tmp/root/usr" "$tmp/home2"
echo "install-check: passed"
