#!/usr/bin/env bash
# Builds the configurator and starts it from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target SW40917 SW40917-cli
exec build/program/SW40917 "$@"
