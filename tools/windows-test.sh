#!/usr/bin/env bash
# Runs the Windows build of tools/windows-build.sh under Wine, in one Wine prefix made once (its copy, made
# before first use, is the fresh prefix of the installer):
# 1. every test executable, through CTest with tools/windows-run-test.sh as the emulator (a time-out per
#    test, Qt Test's log shown for each failure);
# 2. the golden compile cases and the register map as CSV: SW40917-cli.exe must write the same bytes and
#    exit codes as the Linux build's SW40917-cli;
# 3. the ZIP unpacked: SW40917.exe --self-test (windows platform plugin, Xvfb) keeps its workspace in its
#    own folder, and its SW40917-cli.exe compiles the example to the Linux images;
# 4. the installer: installed silently (/S) into the fresh prefix, the installed program makes the user's
#    workspace under %APPDATA%, the installed CLI compiles the example from there, the silent uninstall
#    removes the program folder and keeps the workspace.
# Prints how long each step took. Proves the programs build, link and run under Wine; it is no run on a
# real Windows.
# Usage: tools/windows-test.sh [--packages-only] [WINDOWS_BUILD_DIR [LINUX_BUILD_DIR]]
#   (default build-windows, build; --packages-only checks the ZIP and the installer, steps 3 and 4)
#   SW40917_WINE_JOBS          test executables run at a time (default 3: Wine waits more than it computes)
#   SW40917_WINE_TEST_TIMEOUT  seconds one test executable may take (default 900)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages_only=0
[ "${1:-}" = --packages-only ] && { packages_only=1; shift; }
build=$(realpath "${1:-build-windows}")
linux=${2:-build}
export LC_ALL=C.UTF-8
tools/setup-deps.sh
for tool in wine wineserver Xvfb ctest unzip; do
  command -v "$tool" >/dev/null || { echo "windows-test: $tool not found (tools/setup-deps.sh installs it)" >&2; exit 1; }
done
[ -f "$build/CMakeCache.txt" ] || { echo "windows-test: no $build (run tools/windows-build.sh first)" >&2; exit 1; }
qt_dir=$(sed -n 's/^Qt6_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
qt=$(realpath "$qt_dir/../../..")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
zip=$build/SW40917-$version-windows-x64.zip
setup=$build/SW40917-$version-windows-x64-setup.exe
for package in "$zip" "$setup"; do
  [ -f "$package" ] || { echo "windows-test: no $package (run tools/windows-build.sh first)" >&2; exit 1; }
done

# The Linux command-line tool, to compare with.
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
  set +e
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  for p in "$tmp"/prefix-*; do [ -d "$p" ] && WINEPREFIX=$p wineserver -k 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "windows-test: FAILED: $*" >&2; exit 1; }
timings=()
started=$SECONDS
lap() { timings+=("$(printf '%-40s %4d s' "$1" $((SECONDS - started)))"); started=$SECONDS; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A Unix path as Wine sees it (drive Z: is the Unix root).
winpath() { local p; p=$(realpath "$1"); echo "Z:${p//\//\\}"; }

# --- The prefix, made once (tools/wine-prefix.sh: fonts as on Windows, Wine's own desktop) ---
make_prefix() {
  tools/wine-prefix.sh "$1"
  export WINEPREFIX=$1
}
make_prefix "$tmp/prefix-main"
cp -a "$tmp/prefix-main" "$tmp/prefix-installer"
lap "Wine prefix"

# The windows platform plugin needs an X server.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3> "$tmp/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 50); do [ -s "$tmp/display" ] && break; sleep 0.2; done
[ -s "$tmp/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$tmp/display")

if [ "$packages_only" -eq 0 ]; then
# --- 1. The test executables ---
mingw_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
mingw_threads=$(dirname "$(realpath "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")")
export WINEPATH="$(winpath "$qt/bin");$(winpath "$mingw_runtime");$(winpath "$mingw_threads")"
export QT_PLUGIN_PATH=$(winpath "$qt/plugins")
export SW40917_WINE_TEST_TIMEOUT=${SW40917_WINE_TEST_TIMEOUT:-900}
# Every skipped test row with its reason, gathered by tools/windows-run-test.sh.
export SW40917_WINE_SKIPS=$tmp/skips.txt
: > "$SW40917_WINE_SKIPS"
echo "windows-test: test executables under Wine"
set +e
(cd "$build" && ctest -j "${SW40917_WINE_JOBS:-3}" --timeout $((SW40917_WINE_TEST_TIMEOUT + 60)) \
  --output-on-failure) > "$tmp/ctest.log" 2>&1
ctest_status=$?
set -e
# Each test's own lines, and every skip with its reason.
grep -a -E "^ *[0-9]+/[0-9]+ Test|tests passed|^FAIL!|^ +Loc:|windows-run-test" "$tmp/ctest.log" || true
echo "windows-test: skipped under Wine ($(wc -l < "$SW40917_WINE_SKIPS") rows):"
sed 's/^/  /' "$SW40917_WINE_SKIPS"
summary=$(grep -a -E "tests passed, [0-9]+ tests failed out of" "$tmp/ctest.log" || true)
echo "windows-test: $summary"
if [ "$ctest_status" -ne 0 ]; then
  sed -n '/The following tests FAILED/,$p' "$tmp/ctest.log"
  cp "$tmp/ctest.log" "$build/windows-ctest.log"
  fail "test executables under Wine: $summary (whole log: $build/windows-ctest.log)"
fi
lap "tests under Wine"

# --- 2. The golden compile cases and the CSV: the same bytes as on Linux ---
windows_cli() { wine "$build/program/SW40917-cli.exe" "$@"; }
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
  windows_cli compile "$(winpath "$tmp/golden/windows/$name")" > "$tmp/golden/windows-$name.out" 2>&1
  windows_status=$?
  set -e
  [ "$linux_status" -eq "$windows_status" ] ||
    fail "golden case $name: exit $windows_status on Windows, $linux_status on Linux ($(cat "$tmp/golden/windows-$name.out"))"
  diff -r "$tmp/golden/linux/$name" "$tmp/golden/windows/$name" >/dev/null ||
    fail "golden case $name: the files written on Windows differ from Linux"
  cases=$((cases + 1))
done
echo "windows-test: $cases golden compile cases give the same files and exit codes as on Linux"
# The register map as CSV on standard output: byte for byte (CR LF line ends, no CR added on Windows).
mkdir -p "$tmp/csv"
cp -r examples/Example "$tmp/csv/"
"$linux_cli" map "$tmp/csv/Example" --csv > "$tmp/csv/linux.csv"
windows_cli map "$(winpath "$tmp/csv/Example")" --csv > "$tmp/csv/windows.csv"
[ -s "$tmp/csv/linux.csv" ] || fail "map --csv on Linux wrote nothing"
cmp "$tmp/csv/linux.csv" "$tmp/csv/windows.csv" || fail "map --csv on Windows differs from Linux"
echo "windows-test: map --csv writes the same $(stat -c %s "$tmp/csv/linux.csv") bytes as on Linux"
lap "golden compiles and CSV"
unset WINEPATH QT_PLUGIN_PATH
fi

# The example compiled on Linux: what both packages' CLI must write.
mkdir -p "$tmp/example-linux"
cp -r examples/Example/. "$tmp/example-linux/"
"$linux_cli" compile "$tmp/example-linux" >/dev/null
same_images() { # FOLDER WHAT
  for image in bank.bin bank2.bin; do
    cmp "$tmp/example-linux/bin/$image" "$1/bin/$image" || fail "$2: the example's $image differs from Linux"
  done
}
# A program started with the prefix's own environment: nothing of the test runs' Qt.
run_program() { # SECONDS FOLDER PROGRAM ARGS...
  local seconds=$1 folder=$2
  shift 2
  (cd "$folder" && timeout -k 10 "$seconds" wine "$@")
}

# --- 3. The ZIP: a portable folder ---
unset QT_QPA_PLATFORM
unzip -q "$zip" -d "$tmp/unzipped"
program=$(dirname "$(find "$tmp/unzipped" -name SW40917.exe | head -n1)")
[ -f "$program/platforms/qwindows.dll" ] || fail "the ZIP has no platforms/qwindows.dll"
for folder in LANGUAGE PROJECTS/Example MASTER; do
  [ -d "$program/$folder" ] || fail "the ZIP has no $folder beside the programs"
done
out=$(run_program 120 "$program" ./SW40917.exe --self-test 2>&1) || fail "the ZIP's SW40917.exe --self-test: $out"
echo "$out" | tr -d '\r'
echo "$out" | grep -q "Languages: Deutsch.lng English.lng" || fail "the ZIP's program found no languages"
[ -f "$program/Fabricor.xml" ] || fail "the ZIP's program wrote no Fabricor.xml into its portable folder"
run_program 60 "$program" ./SW40917-cli.exe compile 'PROJECTS\Example' | tr -d '\r'
same_images "$program/PROJECTS/Example" "the ZIP's SW40917-cli.exe"
echo "windows-test: the ZIP is portable, and its SW40917-cli.exe compiles the example to the Linux images"
wineserver -k 2>/dev/null || true
lap "ZIP"

# --- 4. The installer, in the fresh prefix ---
export WINEPREFIX=$tmp/prefix-installer
wine "$(winpath "$setup")" /S
wineserver -w
drive=$WINEPREFIX/drive_c
installed=$drive/Program\ Files/SW40917
[ -f "$installed/SW40917.exe" ] || fail "the installer put no SW40917.exe into C:\\Program Files\\SW40917"
for folder in LANGUAGE PROJECTS; do
  [ ! -e "$installed/$folder" ] || fail "the installed program folder holds $folder: the program would be portable"
done
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SW40917' > "$tmp/uninstall.reg" 2>/dev/null ||
  fail "no uninstall entry in the registry"
grep -q "UninstallString" "$tmp/uninstall.reg" || fail "the uninstall entry has no UninstallString"
shortcut=$(find "$drive" -name "SW40917 Configurator.lnk" | head -n1)
[ -n "$shortcut" ] || fail "no Start menu entry \"SW40917 Configurator\""
echo "windows-test: installed into C:\\Program Files\\SW40917, Start menu entry ${shortcut#"$drive"/}, uninstaller registered"

out=$(run_program 120 "$installed" ./SW40917.exe --self-test 2>&1) || fail "the installed SW40917.exe --self-test: $out"
echo "$out" | tr -d '\r'
appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
workspace=$(echo "$out" | sed -n 's/^Workspace: //p' | tr -d '\r')
[ "${workspace//\//\\}" = "$appdata\\Korvane\\SW40917" ] ||
  fail "the installed program's workspace is \"$workspace\", not %APPDATA%\\Korvane\\SW40917 ($appdata)"
user_workspace=$(find "$drive/users" -type d -path "*/Korvane/SW40917" | head -n1)
[ -f "$user_workspace/Fabricor.xml" ] || fail "no Fabricor.xml in the user's workspace $workspace"
[ -d "$user_workspace/PROJECTS/Example" ] || fail "the user's workspace got no example"
[ "$(ls "$user_workspace/LANGUAGE"/*.lng | wc -l)" -ge 5 ] || fail "the user's workspace got no language files"
run_program 60 "$installed" ./SW40917-cli.exe compile "$workspace\\PROJECTS\\Example" | tr -d '\r'
same_images "$user_workspace/PROJECTS/Example" "the installed SW40917-cli.exe"
echo "windows-test: the installed program made its workspace in $workspace; its CLI compiles the example there"

wine "$installed/Uninstall.exe" /S
wineserver -w
[ ! -e "$installed" ] || fail "the uninstaller left $(find "$installed" | head -n5 | tr '\n' ' ')"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SW40917' >/dev/null 2>&1 &&
  fail "the uninstall entry is still in the registry"
[ -f "$user_workspace/PROJECTS/Example/bin/bank.bin" ] || fail "the uninstaller removed the user's workspace"
echo "windows-test: the silent uninstall removed the program folder and kept the user's workspace"
wineserver -k 2>/dev/null || true
lap "installer"

echo "windows-test: ZIP $(( $(stat -c %s "$zip") / 1024 )) KiB, installer $(( $(stat -c %s "$setup") / 1024 )) KiB"
printf '%s\n' "== Windows test timings" "${timings[@]}"
echo "windows-test: passed"
