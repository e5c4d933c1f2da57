#!/usr/bin/env bash
# Compiles every source under src/ for Windows (MinGW-w64, C++17, syntax only) against the Qt 6
# headers, so that the Windows branches (Q_OS_WIN, from the compiler's _WIN32) are compiled too.
# It proves the Windows code compiles; it does not link, build or run anything for Windows.
# Usage: tools/windows-check.sh [BUILD_DIR]   (BUILD_DIR: a configured build whose moc output to use)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-}

cxx=x86_64-w64-mingw32-g++-posix
command -v "$cxx" >/dev/null || { echo "windows-check: $cxx not found (tools/setup-deps.sh installs it)" >&2; exit 1; }
qt=$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)

flags=(-std=c++17 -fsyntax-only -Wall -Wextra -Werror -DUNICODE -D_UNICODE -DQT_NO_KEYWORDS
  -DQT_DISABLE_DEPRECATED_BEFORE=0x060000 -DQT_NO_VERSION_TAGGING)
for m in "" QtCore QtGui QtWidgets QtNetwork QtSerialPort QtXml; do flags+=(-isystem "$qt/$m"); done
for d in src/core src/platform src/gui src/cli; do flags+=(-I "$d"); done
# Sources that include their moc output find it in the Linux build's generated folders.
if [ -n "$build" ]; then
  while IFS= read -r d; do flags+=(-I "$d"); done < <(find "$build/src" -type d -path '*_autogen/include' 2>/dev/null)
fi

mapfile -t sources < <(find src -name '*.cpp' | sort)
# Two compilers at a time at most: the machine is shared.
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} sh -c '"$0" "$@" {} || { echo "windows-check: FAILED {}" >&2; exit 255; }' \
  "$cxx" "${flags[@]}"
echo "windows-check: ${#sources[@]} sources compile for Windows"
