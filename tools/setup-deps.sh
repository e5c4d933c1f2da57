#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev libxkbcommon-dev libxml2-utils python3
  g++-mingw-w64-x86-64-posix dpkg-dev file qt6-translations-l10n)
# The report's tests read the PDF's text with pdftotext.
packages+=(poppler-utils)
# The register monitor's tests and benchmark use its Modbus TCP server as the device; the program never links it.
packages+=(qt6-serialbus-dev)
# The Windows build and its run under Wine: the prebuilt Qt archive (xz), Wine with an X server for the windows
# platform plugin, the installer (NSIS), unpacking the ZIP, and the sans-serif font that stands in for
# the Windows UI fonts in the test prefix.
packages+=(ccache xz-utils wine wine64 xvfb unzip nsis fonts-dejavu-core)
packages+=("$@") # what one caller needs besides (tools/fuzz.sh: clang and its fuzzer runtime)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
