#!/usr/bin/env bash
# The Windows pictures of the README: tools/screenshots' renderer, cross-built by tools/windows-build.sh, run
# under Wine with the windows platform plugin (the Windows style and Wine's font rendering) under Xvfb, in a
# prefix where DejaVu Sans stands in for the Windows UI fonts Wine lacks (Segoe UI, Tahoma), as on Windows a
# sans-serif font would show. Writes docs/screenshots/windows-main-window.png and
# docs/screenshots/windows-register-map-de.png (the register map in German).
# Usage: tools/windows-screenshots.sh [WINDOWS_BUILD_DIR]   (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-windows}")
renderer=$build/tools/sw_screenshots.exe
[ -f "$renderer" ] || { echo "windows-screenshots: no $renderer (run tools/windows-build.sh first)" >&2; exit 1; }
qt_dir=$(sed -n 's/^Qt6_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
qt=$(realpath "$qt_dir/../../..")
tmp=$(mktemp -d)
xvfb=
cleanup() {
  set +e
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  WINEPREFIX=$tmp/prefix wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$tmp/prefix LC_ALL=C.UTF-8
tools/wine-prefix.sh "$tmp/prefix"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3> "$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
export DISPLAY=:$(cat "$tmp/display")
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
mingw_threads=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
export WINEPATH="$(winpath "$qt/bin");$(winpath "$mingw_runtime");$(winpath "$mingw_threads")"
export QT_PLUGIN_PATH=$(winpath "$qt/plugins") QT_QPA_PLATFORM=windows
mkdir -p "$tmp/out"
wine "$renderer" "$(winpath .)" "$(winpath "$tmp/out")" --prefix windows- --only main-window | tr -d '\r'
wine "$renderer" "$(winpath .)" "$(winpath "$tmp/out")" --language Deutsch --prefix windows- \
  --only register-map | tr -d '\r'
cp "$tmp/out/windows-main-window.png" docs/screenshots/windows-main-window.png
cp "$tmp/out/windows-register-map.png" docs/screenshots/windows-register-map-de.png
echo "windows-screenshots: docs/screenshots/windows-main-window.png, docs/screenshots/windows-register-map-de.png"
