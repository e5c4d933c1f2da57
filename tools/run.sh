#!/usr/bin/env bash
# Builds the configurator and starts it from its program folder (build-run/program, a portable
# workspace). Its own build folder: switching between this and tools/test.sh rebuilds nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSW_BUILD_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build-run --target SW40917 SW40917-cli
exec build-run/program/SW40917 "$@"
