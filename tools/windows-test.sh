#!/usr/bin/env bash
# Runs the Windows build of tools/windows-build.sh under Wine:
# 1. every test executable (offscreen platform), through CTest with Wine as the emulator;
# 2. the golden compile cases: SW40917-cli.exe must write images byte-identical to the Linux build's;
# 3. the ZIP unpacked into a fresh Wine prefix: SW40917.exe starts with the windows platform plugin
#    under Xvfb, makes its portable workspace and shows its main window (the screenshot goes to
#    docs/screenshots/windows-main-window.png); started from a folder that is not portable it makes
#    the per-user workspace under %APPDATA%; SW40917-cli.exe compiles the shipped example.
# Proves the programs build, link and run under Wine; it is no run on a real Windows.
# Usage: tools/windows-test.sh [WINDOWS_BUILD_DIR [LINUX_BUILD_DIR]]   (default build-windows, build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build-windows}")
linux=${2:-build}
export LC_ALL=C.UTF-8
tools/setup-deps.sh
for tool in wine Xvfb ctest unzip python3; do
  command -v "$tool" >/dev/null || { echo "windows-test: $tool not found (tools/setup-deps.sh installs it)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || { echo "windows-test: no $build (run tools/windows-build.sh first)" >&2; exit 1; }
qt_dir=$(sed -n 's/^Qt6_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
qt=$(realpath "$qt_dir/../../..")
zip=$(ls -t "$build"/SW40917-*-windows-x64.zip 2>/dev/null | head -n1)
[ -n "$zip" ] || { echo "windows-test: no ZIP in $build (run tools/windows-build.sh first)" >&2; exit 1; }

# The Linux command-line tool, to compare the images with.
if [ ! -f "$linux/CMakeCache.txt" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
fi
cmake --build "$linux" --target SW40917-cli >/dev/null
linux_cli=$(realpath "$linux/program/SW40917-cli")

tmp=$(mktemp -d)
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  for p in "$tmp"/prefix-*; do [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "windows-test: FAILED: $*" >&2; exit 1; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A Unix path as Wine sees it (drive Z: is the Unix root).
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }
new_prefix() {
  export WINEPREFIX=$tmp/prefix-$1
  wineboot -i >/dev/null 2>&1
}

# --- 1. The test executables ---
new_prefix tests
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
mingw_threads=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
export WINEPATH="$(winpath "$qt/bin");$(winpath "$mingw_runtime");$(winpath "$mingw_threads")"
export QT_PLUGIN_PATH=$(winpath "$qt/plugins")
# Wine passes Unix environment to the Windows side; the tests set QT_QPA_PLATFORM=offscreen themselves.
echo "windows-test: test executables under Wine"
set +e
(cd "$build" && ctest -j2 --timeout 600 --output-on-failure) | tee "$tmp/ctest.log"
ctest_status=${PIPESTATUS[0]}
set -e
summary=$(grep -E "tests passed, [0-9]+ tests failed out of" "$tmp/ctest.log" || true)
echo "windows-test: $summary"
unset WINEPATH QT_PLUGIN_PATH
wineserver -k 2>/dev/null || true

# --- 2. The golden compile cases: Windows images identical with Linux ---
new_prefix cli
export WINEPATH="$(winpath "$qt/bin");$(winpath "$mingw_runtime");$(winpath "$mingw_threads")"
cases=0
for case in tests/data/compile/*/; do
  name=$(basename "$case")
  for side in linux windows; do
    mkdir -p "$tmp/golden/$side/$name"
    cp "$case"/*.xml "$tmp/golden/$side/$name/" 2>/dev/null || true
  done
  set +e
  "$linux_cli" compile "$tmp/golden/linux/$name" > "$tmp/golden/linux-$name.out" 2>&1
  linux_status=$?
  wine "$build/program/SW40917-cli.exe" compile "$(winpath "$tmp/golden/windows/$name")" \
    > "$tmp/golden/windows-$name.out" 2>&1
  windows_status=$?
  set -e
  [ "$linux_status" -eq "$windows_status" ] ||
    fail "golden case $name: exit $windows_status on Windows, $linux_status on Linux ($(cat "$tmp/golden/windows-$name.out"))"
  diff -r "$tmp/golden/linux/$name" "$tmp/golden/windows/$name" >/dev/null ||
    fail "golden case $name: the files written on Windows differ from Linux"
  cases=$((cases + 1))
done
echo "windows-test: $cases golden compile cases give the same files and exit codes as on Linux"
unset WINEPATH
wineserver -k 2>/dev/null || true

# --- 3. The ZIP in a fresh prefix, with nothing but what it holds ---
unset QT_QPA_PLATFORM QT_PLUGIN_PATH WINEPATH
new_prefix zip
unzip -q "$zip" -d "$tmp/unzipped"
program=$(dirname "$(find "$tmp/unzipped" -name SW40917.exe | head -n1)")
[ -f "$program/platforms/qwindows.dll" ] || fail "the ZIP has no platforms/qwindows.dll"
Xvfb -displayfd 3 -screen 0 1280x900x24 -fbdir "$tmp" -nolisten tcp -br 3> "$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
export DISPLAY=:$(cat "$tmp/display")

out=$(cd "$program" && timeout 120 wine ./SW40917.exe --self-test 2>&1) || fail "SW40917.exe --self-test: $out"
echo "$out" | tr -d '\r'
echo "$out" | grep -q "Languages: Deutsch.lng English.lng" || fail "the program found no languages"
[ -f "$program/Fabricor.xml" ] || fail "the program wrote no Fabricor.xml into its portable folder"

# The main window, as a user first sees it.
(cd "$program" && exec wine ./SW40917.exe) >/dev/null 2>&1 &
gui=$!
sleep 15
python3 - "$tmp/Xvfb_screen0" "$root/docs/screenshots/windows-main-window.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
(header_size, _, _, depth, width, height, _, byte_order, _, _, _, bpp, line, _, rmask, gmask, bmask,
 _, _, ncolors) = struct.unpack('>20I', data[:80])
pixels = data[header_size + 12 * ncolors:]
assert bpp == 32, 'unexpected framebuffer depth %d' % bpp
def rgb(x, y):
    v = int.from_bytes(pixels[y * line + 4 * x:y * line + 4 * x + 4], 'little' if byte_order == 0 else 'big')
    shift = lambda m: (v & m) >> ((m & -m).bit_length() - 1)
    return shift(rmask), shift(gmask), shift(bmask)
# The window on the black screen: crop to what is not black.
rows = [y for y in range(height) if any(pixels[y * line:y * line + 4 * width:4][i] for i in range(0, width, 7))]
cols = [x for x in range(0, width) if any(rgb(x, y) != (0, 0, 0) for y in rows[::9])]
assert rows and cols, 'the screen is empty: no window was shown'
top, bottom, left, right = rows[0], rows[-1] + 1, cols[0], cols[-1] + 1
raw = b''.join(b'\0' + b''.join(bytes(rgb(x, y)) for x in range(left, right)) for y in range(top, bottom))
chunk = lambda kind, body: struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
png = (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', right - left, bottom - top, 8, 2, 0, 0, 0)) +
       chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
open(sys.argv[2], 'wb').write(png)
print('windows-test: main window %dx%d, screenshot in %s' % (right - left, bottom - top, sys.argv[2]))
PY
kill "$gui" 2>/dev/null || true
wineserver -k 2>/dev/null || true

# The shipped example compiles to the same images as on Linux.
mkdir -p "$tmp/example-linux"
cp -r examples/Example/. "$tmp/example-linux/"
"$linux_cli" compile "$tmp/example-linux" >/dev/null
(cd "$program" && wine ./SW40917-cli.exe compile PROJECTS\\Example) | tr -d '\r'
for image in bank.bin bank2.bin; do
  cmp "$tmp/example-linux/bin/$image" "$program/PROJECTS/Example/bin/$image" ||
    fail "the example's $image compiled on Windows differs from Linux"
done
echo "windows-test: the ZIP's SW40917-cli.exe compiles the example to the Linux images"

# Without LANGUAGE and PROJECTS beside it the program is installed, not portable: the workspace is
# the user's, under %APPDATA%.
mkdir -p "$tmp/installed"
cp -r "$program"/*.exe "$program"/*.dll "$program/platforms" "$program/styles" "$tmp/installed/"
(cd "$tmp/installed" && timeout 120 wine ./SW40917.exe --self-test) > "$tmp/installed.out" 2>&1 || true
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
workspace=$(sed -n 's/^Workspace: //p' "$tmp/installed.out" | tr -d '\r')
unix_workspace=$(winepath -u "$workspace" 2>/dev/null || true)
case "${workspace//\//\\}" in
  "$appdata"\\Korvane\\SW40917) ;;
  *) fail "the installed program's workspace is \"$workspace\", not under %APPDATA% ($appdata)" ;;
esac
[ -f "$unix_workspace/Fabricor.xml" ] || fail "no Fabricor.xml in the user's workspace $workspace"
echo "windows-test: not portable, the program made its workspace in $workspace"
wineserver -k 2>/dev/null || true

[ "$ctest_status" -eq 0 ] || fail "test executables under Wine: $summary"
echo "windows-test: passed"
