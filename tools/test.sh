#!/usr/bin/env bash
# Builds and runs every test (CI runs this, through .ci/run). Warnings are errors.
#   tools/test.sh           normal build and tests, then the same under AddressSanitizer and
#                           UndefinedBehaviorSanitizer, the Windows build and its tests under Wine (or,
#                           without a Qt for Windows, the Windows syntax check) and the install test
#   tools/test.sh --quick   normal build and tests only
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
case "${1:-}" in
  "") ;;
  --quick) quick=1 ;;
  *) echo "usage: tools/test.sh [--quick]" >&2; exit 2 ;;
esac
tools/setup-deps.sh
jobs=$(nproc)
config=(-G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
command -v ccache >/dev/null && config+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

timings=()
step() {
  local name=$1 start=$SECONDS
  shift
  echo "== $name"
  "$@"
  timings+=("$(printf '%-32s %4d s' "$name" $((SECONDS - start)))")
}
normal() {
  cmake -S . -B build "${config[@]}" >/dev/null
  cmake --build build -j "$jobs"
  ctest --test-dir build --output-on-failure -j "$jobs"
}
# Any sanitizer report fails the run: ASan aborts by itself, UBSan is told to.
sanitized() {
  cmake -S . -B build-asan "${config[@]}" -DSW_SANITIZE=ON >/dev/null
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"
}

# The Windows programs, built against the Qt for Windows in the cache or from its archive (never the hour of
# building Qt here), and every test run under Wine. Without that Qt, the MinGW syntax check of every source
# stands in, and the run says how to get the real thing.
windows() {
  if tools/windows-build.sh --have-qt; then
    step "Windows build" tools/windows-build.sh
    step "Windows tests under Wine" tools/windows-test.sh build-windows build
    return
  fi
  echo "== Windows build and tests SKIPPED: no Qt for Windows in the cache. Give a prebuilt one" \
    "(SW40917_WIN_QT_ARCHIVE=qt-VERSION-KEY.tar.xz, or put it in ../shared/windows/ beside the checkout) or" \
    "build it once (tools/windows-build.sh --qt-only, about an hour); the syntax check instead"
  step "Windows syntax check" tools/windows-check.sh build
}

step "build and tests" normal
if [ "$quick" -eq 0 ]; then
  step "sanitizer build and tests" sanitized
  windows
  step "install and package test" tools/install-check.sh build
fi
printf '%s\n' "== timings" "${timings[@]}"
