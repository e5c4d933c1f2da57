#!/usr/bin/env bash
# Builds the Windows programs and their ZIP on Debian by cross-compiling with MinGW-w64.
# 1. Qt for Windows: Debian's qt6-base source package (the Qt version of the Linux build), fetched
#    through a private apt configuration that adds source lines for the machine's own Debian mirror,
#    cross-built once and cached outside the repository, keyed by the Qt version and the options below.
# 2. The project (programs and test executables) against that Qt, into build-windows/.
# 3. The Windows ZIP with CPack.
# Takes about an hour of two cores the first time (the Qt build); run it niced on a shared machine.
# Usage: tools/windows-build.sh [--qt-only | --have-qt] [--build DIR]
#   --have-qt           only says whether Qt for Windows is cached or found as a matching archive (exit 0)
#                       or would have to be built (exit 1)
#   SW40917_WIN_CACHE   the cache folder (default ${XDG_CACHE_HOME:-~/.cache}/sw40917-windows)
#   SW40917_WIN_JOBS    parallel compile jobs (default 2)
#   SW40917_WIN_QT_ARCHIVE  a Qt for Windows packed from the cache (qt-VERSION-KEY.tar.xz, one folder of that
#                       name); taken when its name matches this script's key, else Qt is built. Without it the
#                       script looks for qt-*.tar.xz in ../shared/windows beside the checkout and in
#                       /work/shared/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
qt_only=0
have_qt=0
build=build-windows
while [ $# -gt 0 ]; do
  case $1 in
    --qt-only) qt_only=1 ;;
    --have-qt) have_qt=1 ;;
    --build) build=$2; shift ;;
    *) echo "windows-build: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
jobs=${SW40917_WIN_JOBS:-2}
cache=${SW40917_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/sw40917-windows}
toolchain=$root/cmake/mingw-w64-x86_64.cmake
[ "$have_qt" -eq 1 ] || tools/setup-deps.sh
[ "$have_qt" -eq 1 ] || for tool in x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres cmake ninja apt-get dpkg-source; do
  command -v "$tool" >/dev/null || { echo "windows-build: $tool not found (tools/setup-deps.sh installs it)" >&2; exit 1; }
done

# The Qt of the Linux build; the Windows Qt is built from the same version's sources.
qt_version=$(sed -n 's/^ *set(PACKAGE_VERSION "\(.*\)")/\1/p' /usr/lib/x86_64-linux-gnu/cmake/Qt6/Qt6ConfigVersionImpl.cmake \
  /usr/lib/x86_64-linux-gnu/cmake/Qt6/Qt6ConfigVersion.cmake 2>/dev/null | head -n1)
[ -n "$qt_version" ] || { echo "windows-build: the Linux Qt 6 is not installed" >&2; exit 1; }

qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
  -DINPUT_openssl=no
  # The +dfsg sources lack the tablet header the Windows platform plugin includes.
  -DFEATURE_tabletevent=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
)
# OpenGL stays on: the Windows platform plugin does not compile without it.
key=$( { printf '%s\n' "$qt_version" "${qt_options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
qt_prefix=$cache/qt-$qt_version-$key
export SW40917_WIN_QT=$qt_prefix

# Writes a private apt configuration with source lines for the mirror the machine already uses for its
# own release, and fetches and unpacks the qt6-base sources into $1. The machine's lists stay untouched.
fetch_qt_sources() {
  local dest=$1 apt=$cache/apt codename mirror keyring
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  mirror=$(apt-get indextargets --format '$(CODENAME) $(REPO_URI)' | awk -v c="$codename" '$1 == c { print $2; exit }')
  [ -n "$mirror" ] || { echo "windows-build: no apt source for $codename in the machine's apt configuration" >&2; return 1; }
  rm -rf "$apt" && mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/parts"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  if [ -f "$keyring" ]; then
    echo "deb-src [signed-by=$keyring] $mirror $codename main" > "$apt/sources.list"
  else
    echo "deb-src $mirror $codename main" > "$apt/sources.list"
  fi
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/parts"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Dir::Cache::archives=$apt/archives"
              -o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" -qq update
  mkdir -p "$dest"
  local version
  version=$(apt-cache "${opts[@]}" showsrc qt6-base | sed -n 's/^Version: //p' | grep -F "$qt_version+" | head -n1)
  [ -n "$version" ] || { echo "windows-build: $mirror serves no qt6-base source of Qt $qt_version" >&2; return 1; }
  (cd "$dest" && apt-get "${opts[@]}" -qq source "qt6-base=$version")
}

build_qt() {
  local work=$cache/work-$qt_version-$key start=$SECONDS
  mkdir -p "$work"
  local src
  src=
  [ -d "$work/src" ] && src=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
  if [ -z "$src" ] || [ ! -f "$src/CMakeLists.txt" ]; then
    rm -rf "$work/src"
    fetch_qt_sources "$work/src"
    src=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
  fi
  echo "windows-build: building Qt $qt_version for Windows from $src"
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}"
  cmake --build "$work/build" -j "$jobs"
  cmake --install "$work/build"
  touch "$qt_prefix/.complete"
  echo "windows-build: Qt for Windows built in $(( (SECONDS - start) / 60 )) min into $qt_prefix"
  rm -rf "$work"
}

# A packed cache folder saves the hour of the Qt build. Its folder name carries the key, so an archive
# made with other options or another toolchain file is refused by name, not found out at link time.
find_qt_archive() {
  if [ -n "${SW40917_WIN_QT_ARCHIVE:-}" ]; then
    echo "$SW40917_WIN_QT_ARCHIVE"
    return
  fi
  local dir
  for dir in "$root/../shared/windows" /work/shared/windows; do
    [ -f "$dir/qt-$qt_version-$key.tar.xz" ] && { echo "$dir/qt-$qt_version-$key.tar.xz"; return; }
  done
  for dir in "$root/../shared/windows" /work/shared/windows; do
    ls "$dir"/qt-*.tar.xz 2>/dev/null | head -n1 && return
  done
  true
}
unpack_qt_archive() {
  local archive=$1 folder start=$SECONDS
  [ -f "$archive" ] || { echo "windows-build: no Qt archive $archive" >&2; return 1; }
  folder=$({ tar -tJf "$archive" 2>/dev/null || true; } | head -n1)
  folder=${folder%%/*}
  if [ "$folder" != "qt-$qt_version-$key" ]; then
    echo "windows-build: the Qt archive $archive holds $folder, which does not match this script's" \
      "qt-$qt_version-$key (other Qt version, options or toolchain file): building Qt instead"
    return 1
  fi
  mkdir -p "$cache"
  rm -rf "$qt_prefix" "$cache/unpack-$key"
  mkdir -p "$cache/unpack-$key"
  tar -xJf "$archive" -C "$cache/unpack-$key"
  [ -f "$cache/unpack-$key/$folder/.complete" ] ||
    { echo "windows-build: the Qt archive $archive is incomplete (no .complete marker)" >&2; rm -rf "$cache/unpack-$key"; return 1; }
  mv "$cache/unpack-$key/$folder" "$qt_prefix"
  rmdir "$cache/unpack-$key"
  echo "windows-build: Qt $qt_version for Windows unpacked from $archive in $((SECONDS - start)) s"
}

if [ "$have_qt" -eq 1 ]; then
  [ -f "$qt_prefix/.complete" ] && { echo "windows-build: Qt for Windows is in the cache: $qt_prefix"; exit 0; }
  archive=$(find_qt_archive)
  if [ -n "$archive" ] && [ "$({ tar -tJf "$archive" 2>/dev/null || true; } | head -n1 | cut -d/ -f1)" = "qt-$qt_version-$key" ]; then
    echo "windows-build: Qt for Windows from the archive $archive"
    exit 0
  fi
  echo "windows-build: no Qt for Windows qt-$qt_version-$key in $cache and no matching archive" \
    "(SW40917_WIN_QT_ARCHIVE, ../shared/windows/qt-*.tar.xz)"
  exit 1
fi

if [ -f "$qt_prefix/.complete" ]; then
  echo "windows-build: Qt $qt_version for Windows from the cache: $qt_prefix"
else
  archive=$(find_qt_archive)
  if [ -z "$archive" ] || ! unpack_qt_archive "$archive"; then
    [ -n "$archive" ] || echo "windows-build: no Qt archive found (SW40917_WIN_QT_ARCHIVE): building Qt"
    build_qt
  fi
fi
[ "$qt_only" -eq 1 ] && exit 0

# The project against that Qt: Qt's own toolchain file loads ours (from this checkout, whichever
# checkout built the cached Qt) and finds the Windows Qt and the Linux host tools (moc, rcc).
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" \
  -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_CROSSCOMPILING_EMULATOR="$root/tools/windows-run-test.sh" \
  -DSW_QT_TRANSLATIONS_DIR=/usr/share/qt6/translations "${launcher[@]}"
cmake --build "$build" -j "$jobs"
# The ZIP and the installer. The language files have accented names, which CPack's archiver cannot read
# in the C locale.
(cd "$build" && LC_ALL=C.UTF-8 cpack >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")
for package in "$build/SW40917-$version-windows-x64.zip" "$build/SW40917-$version-windows-x64-setup.exe"; do
  [ -f "$package" ] || { echo "windows-build: CPack made no $package" >&2; exit 1; }
  echo "windows-build: $package ($(( $(stat -c %s "$package") / 1024 )) KiB)"
done
