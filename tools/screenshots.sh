#!/usr/bin/env bash
# Renders every window offscreen (English, the Example configuration open) into docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSW_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-run --target sw_screenshots
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 build-run/tools/sw_screenshots "$PWD" docs/screenshots
