#!/bin/bash
# Races two compiles of one configuration on purpose, with the register map changed between their starts,
# and checks after every round that bin/ holds one compile's pair: bank.bin and bank2.bin both from the map
# before the change or both from the map after it, and nothing else.
#
#   tools/compile-race.sh [ROUNDS] [CLI]     (default: 300 rounds, build/program/SW40917-cli)
#
# Prints the rounds, the pairs of each kind, the mixed pairs (must be 0), the compiles that failed (must be
# 0: the second one waits for the first) and leftovers in bin/ (the lock file, which stays, aside); exits 1
# when any of the last three is not 0.
#
#   tools/compile-race.sh --delayed-rename [CLI]
#
# Widens the window on purpose instead of trying rounds: the first compile runs under strace, which holds
# its second rename (bank2.bin) for three seconds, as a slow disk or a preempted process would; meanwhile
# the map is replaced and a second compile runs. Without the lock the second finishes at once and the first
# then puts its bank2.bin beside the second's bank.bin; with it the second waits and writes the new pair.
# Prints how long the second compile took and which pair bin/ holds; exits 1 on a mixed pair or a failure.
set -u
delayed=0
if [ "${1:-}" = "--delayed-rename" ]; then
  delayed=1
  shift
fi
rounds=${1:-300}
cli=${2:-build/program/SW40917-cli}
[ "$delayed" -eq 1 ] && cli=${1:-build/program/SW40917-cli}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$cli" ]; then
  echo "No $cli: build the target SW40917-cli first" >&2
  exit 2
fi
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
project=$work/Plant
mkdir -p "$project/bin"
cp "$source_dir/tests/data/compile/example/"{ParGen.xml,DNET_Net.xml} "$project/"

# Two register maps that give different bytes in both images.
map_a=$work/DefReg.a.xml
map_b=$work/DefReg.b.xml
cp "$source_dir/tests/data/compile/example/DefReg.xml" "$map_a"
sed -e 's/Index="100"/Index="101"/' -e 's/Index="200"/Index="202"/' "$map_a" > "$map_b"

# Replaces the map as an editor does: whole, by a rename.
put_map() {
  cp "$1" "$project/DefReg.xml.tmp" && mv -f "$project/DefReg.xml.tmp" "$project/DefReg.xml"
}

pair() {
  echo "$(sha256sum < "$project/bin/bank.bin" | cut -c1-16) $(sha256sum < "$project/bin/bank2.bin" | cut -c1-16)"
}

start=$(date +%s%N)
for which in a b; do
  eval "put_map \"\$map_$which\""
  if ! "$cli" compile "$project" > /dev/null; then
    echo "The compile of map $which alone failed" >&2
    exit 2
  fi
  eval "pair_$which=\$(pair)"
done
# The second compile starts anywhere from at once to the length of one compile after the first.
span=$((($(date +%s%N) - start) / 2000000 + 1))
# shellcheck disable=SC2154
if [ "${pair_a% *}" = "${pair_b% *}" ] || [ "${pair_a#* }" = "${pair_b#* }" ]; then
  echo "The two maps must give different bank.bin and bank2.bin" >&2
  exit 2
fi

if [ "$delayed" -eq 1 ]; then
  command -v strace > /dev/null || "$source_dir/tools/setup-deps.sh" strace
  rm -f "$project/bin/bank.bin" "$project/bin/bank2.bin"
  put_map "$map_a"
  # The program renames with rename(2): the second call is bank2.bin's.
  strace -f -qq -o /dev/null -e trace=rename -e inject=rename:delay_enter=3000000:when=2 \
    "$cli" compile "$project" > /dev/null 2> "$work/first.err" &
  first=$!
  # The first compile is in its window once its bank.bin is there.
  for ((i = 0; i < 250; i++)); do
    [ -e "$project/bin/bank.bin" ] && break
    sleep 0.01
  done
  put_map "$map_b"
  second_start=$(date +%s%N)
  "$cli" compile "$project" > /dev/null 2> "$work/second.err"
  second_code=$?
  second_ms=$((($(date +%s%N) - second_start) / 1000000))
  wait $first
  first_code=$?
  now=$(pair)
  if [ "$now" = "$pair_b" ]; then
    outcome="both files of the second map"
  elif [ "$now" = "$pair_a" ]; then
    outcome="both files of the first map"
  else
    outcome="MIXED: bank.bin and bank2.bin of different maps"
  fi
  echo "delayed second rename: first compile exit $first_code, second compile exit $second_code after $second_ms ms;" \
    "bin holds $outcome"
  sed 's/^/first: /' "$work/first.err" >&2
  sed 's/^/second: /' "$work/second.err" >&2
  [ "$first_code" -eq 0 ] && [ "$second_code" -eq 0 ] && [ "$now" = "$pair_b" ]
  exit
fi

as_a=0 as_b=0 mixed=0 failed=0 leftovers=0
for ((round = 1; round <= rounds; round++)); do
  put_map "$map_a"
  "$cli" compile "$project" > /dev/null 2> "$work/first.err" &
  first=$!
  delay=$((RANDOM % span))
  sleep "$((delay / 1000)).$(printf %03d $((delay % 1000)))"
  put_map "$map_b"
  "$cli" compile "$project" > /dev/null 2> "$work/second.err" &
  second=$!
  wait $first || { failed=$((failed + 1)); sed 's/^/first: /' "$work/first.err" >&2; }
  wait $second || { failed=$((failed + 1)); sed 's/^/second: /' "$work/second.err" >&2; }
  now=$(pair)
  if [ "$now" = "$pair_a" ]; then
    as_a=$((as_a + 1))
  elif [ "$now" = "$pair_b" ]; then
    as_b=$((as_b + 1))
  else
    mixed=$((mixed + 1))
  fi
  extra=$(ls -A "$project/bin" | grep -v -x -e bank.bin -e bank2.bin -e sw40917.lock)
  if [ -n "$extra" ]; then
    leftovers=$((leftovers + 1))
    echo "round $round left: $extra" >&2
  fi
done

echo "one compile: about $span ms; rounds: $rounds; pairs of the first map: $as_a, of the second: $as_b; mixed pairs: $mixed;" \
  "failed compiles: $failed; rounds with leftovers: $leftovers"
[ "$mixed" -eq 0 ] && [ "$failed" -eq 0 ] && [ "$leftovers" -eq 0 ]
