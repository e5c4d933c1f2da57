#!/usr/bin/env bash
# Renders every window offscreen (English, the Example configuration open) into docs/screenshots/, and the
# Example's configuration report as a real browser shows it (Debian's chromium, headless).
# Usage: tools/screenshots.sh [BUILD_DIR] [report]   (default build-run, the folder of tools/run.sh;
#        "report" renders only the report's picture)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-run}
only=${2:-}
# The browser is needed here only, never by the build or the tests.
tools/setup-deps.sh chromium
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSW_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
fi
if [ "$only" != report ]; then
  cmake --build "$build" -j "$(nproc)" --target sw_screenshots
  rm -f docs/screenshots/*.png
  QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$build/tools/sw_screenshots" "$PWD" docs/screenshots
fi

# The report of the Example, compiled, in a scratch copy; the browser gets a profile of its own that goes
# with it, and nothing that would reach the network.
cmake --build "$build" -j "$(nproc)" --target SW40917-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/PROJECTS"
cp -r examples/Example "$scratch/PROJECTS/Example"
"$build/program/SW40917-cli" compile "$scratch/PROJECTS/Example" >/dev/null
"$build/program/SW40917-cli" report "$scratch/PROJECTS/Example" -o "$scratch/report.html" >/dev/null
rm -f docs/screenshots/report.png
chromium --headless --no-sandbox --disable-gpu --disable-background-networking --disable-component-update \
  --disable-sync --no-first-run --user-data-dir="$scratch/profile" --hide-scrollbars --window-size=900,1300 \
  --screenshot="$PWD/docs/screenshots/report.png" "file://$scratch/report.html" 2>/dev/null
test -s docs/screenshots/report.png
echo "docs/screenshots/report.png"
