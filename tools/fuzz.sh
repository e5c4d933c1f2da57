#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (in build-fuzz/) and runs each for SECONDS (default 60),
# one after another: tools/fuzz.sh [SECONDS] [TARGET...]. The seed corpus in fuzz/corpus/<target> is read,
# new inputs go to build-fuzz/corpus/<target>; an input that makes a target fail is saved in
# fuzz/crashes/<target>/, which the normal test run then replays (commit it with the fix).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(document compile langfile dump http eds mapcsv)
jobs=${SW_FUZZ_JOBS:-2}
tools/setup-deps.sh clang libclang-rt-14-dev

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSW_FUZZ=ON -DSW_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/#/fuzz_}"

# Qt keeps process-wide caches that a leak check would report on every run.
# A short allocation context keeps the many small allocations of Qt cheap.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:malloc_context_size=3
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t" "fuzz/crashes/$t"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="fuzz/crashes/$t/")
  case $t in
  document | compile) options+=(-dict=fuzz/xml.dict) ;;
  mapcsv) options+=(-dict=fuzz/mapcsv.dict) ;;
  langfile) options+=(-max_len=4096) ;; # the shipped files are longer; their parts are enough
  esac
  echo "== $t: $seconds s"
  if ! "build-fuzz/fuzz/fuzz_$t" "${options[@]}" "build-fuzz/corpus/$t" "fuzz/corpus/$t" 2>"build-fuzz/fuzz_$t.log"; then
    status=1
    echo "fuzz_$t FAILED; see build-fuzz/fuzz_$t.log and fuzz/crashes/$t/"
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build-fuzz/fuzz_$t.log" || true
  rmdir --ignore-fail-on-non-empty "fuzz/crashes/$t"
done
exit $status
