#!/usr/bin/env bash
# Counts kvb-split's instructions (callgrind) on two records made by the test
# generators, against their targets:
#   copy      a three-channel Volume 2 file at 0.005 s, 13200 points a
#             channel, its data lines copied byte for byte     target 15 M
#   resample  a three-channel Volume 2 file at 0.02 s, 15000 points a
#             channel, --resample --window auto (linear, then
#             --resample=band-limited)                            target 80 M
#   mseed     a miniSEED recording of three channels of 100000
#             samples at 0.005 s (STEIM2) and its StationXML,
#             --window auto --filter none                        target 50 ms
#             (the best wall time of five runs; instructions shown)
#   bench/split_bench.sh                       # Release build in build-bench/
#   KVB_BENCH_BUILD=build-test bench/split_bench.sh
#   KVB_SPLIT=/path/to/kvb-split bench/split_bench.sh   # another kvb-split
# Needs cmake, a C++ compiler and valgrind. Exit status 1 when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=${KVB_BENCH_BUILD:-$root/build-bench}

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target kvb-split make_split_input >/dev/null
split=${KVB_SPLIT:-$build/src/kvb-split/kvb-split}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_split_input" "$work"

# Instructions of one run (all threads), in millions.
count() {
  local out=$work/out.$RANDOM
  valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" "$split" -f -o "$out" "$@" \
    >/dev/null 2>"$work/valgrind.err" || { cat "$work/valgrind.err" >&2; exit 1; }
  sed -n 's/^summary: *//p' "$work/callgrind.out" | awk '{ printf "%.1f", $1 / 1e6 }'
}

echo "kvb-split: $split"
status=0
printf '%-32s %12s %8s %s\n' case instructions target met
for c in "copy|15|$work/copy.V2" \
         "resample (linear)|80|--resample --window auto $work/resample.V2" \
         "resample (band-limited)|80|--resample=band-limited --window auto $work/resample.V2"; do
  IFS='|' read -r name target args <<<"$c"
  # shellcheck disable=SC2086 # args are words
  m=$(count $args)
  met=$(awk -v m="$m" -v t="$target" 'BEGIN { print (m <= t) ? "yes" : "no" }')
  [[ $met == yes ]] || status=1
  printf '%-32s %10s M %6s M %s\n' "$name" "$m" "$target" "$met"
done

# The best of five runs in ms: wall time, and processor time (user and
# system), which a shared machine's other work leaves alone.
best_ms() {
  local best=999999 cpu=999999 k t0 t1 used
  local TIMEFORMAT='%3U %3S'
  for k in 1 2 3 4 5; do
    t0=$(date +%s%N)
    used=$({ time "$split" -f -o "$work/timed" "$@" >/dev/null 2>&1; } 2>&1)
    t1=$(date +%s%N)
    best=$(((t1 - t0) / 1000 < best ? (t1 - t0) / 1000 : best))
    cpu=$(awk -v u="$used" -v c="$cpu" 'BEGIN { split(u, t, " "); m = (t[1] + t[2]) * 1e6; print (m < c) ? m : c }')
  done
  awk -v us="$best" -v cpu="$cpu" 'BEGIN { printf "%.1f %.1f\n", us / 1000, cpu / 1000 }'
}
mseed_args=(--window auto --filter none "$work/XX.STA..HN.mseed" "$work/XX.STA.xml")
m=$(count "${mseed_args[@]}")
read -r ms cpu < <(best_ms "${mseed_args[@]}")
met=$(awk -v m="$ms" 'BEGIN { print (m < 50) ? "yes" : "no" }')
[[ $met == yes ]] || status=1
printf '%-32s %10s M %6s ms %s (wall %s ms, processor %s ms)\n' "mseed (3 x 100000, STEIM2)" "$m" 50 "$met" "$ms" \
  "$cpu"
exit "$status"
