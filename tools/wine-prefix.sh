#!/usr/bin/env bash
# Makes a Wine prefix for running the Windows build: tools/windows-test.sh and tools/windows-screenshots.sh.
# - Wine has no Segoe UI (Qt's font on Windows) and its own Tahoma only in some sizes: both are replaced by
#   DejaVu Sans, so that the windows show a sans-serif font as on Windows.
# - The windows live on Wine's own desktop, as on Windows, not as X windows: with no window manager on Xvfb,
#   Wine waits about two seconds for each window shown as an X window (a GUI test then takes ten times as long).
# Usage: tools/wine-prefix.sh PREFIX   (PREFIX must not exist yet)
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: tools/wine-prefix.sh PREFIX" >&2; exit 2; }
[ ! -e "$1" ] || { echo "wine-prefix: $1 is there already" >&2; exit 1; }
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i < /dev/null > /dev/null 2>&1
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Segoe UI"="DejaVu Sans"
"Tahoma"="DejaVu Sans"
"MS Shell Dlg"="DejaVu Sans"
"MS Shell Dlg 2"="DejaVu Sans"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1280x900"
REG
# Drive Z: is the Unix root.
wine regedit /S "Z:${reg//\//\\}" < /dev/null > /dev/null 2>&1
wineserver -w
