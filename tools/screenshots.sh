#!/usr/bin/env bash
# Renders every window offscreen (English, the Example configuration open) into docs/screenshots/.
# Usage: tools/screenshots.sh [BUILD_DIR]   (default build-run, the folder of tools/run.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-run}
tools/setup-deps.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSW_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target sw_screenshots
rm -f docs/screenshots/*.png
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$build/tools/sw_screenshots" "$PWD" docs/screenshots
