#!/usr/bin/env bash
# Instructions a sample of each agency reader (callgrind, the read alone), on
# files of 20000 points a channel made by the test generators, against the
# target: no text reader above twice the CSMIP Volume 2 reader's count.
#   bench/reader_bench.sh                          # Release build in build-bench/
#   KVB_BENCH_BUILD=build-test bench/reader_bench.sh
# Needs cmake, a C++ compiler and valgrind. Exit status 1 when a target is missed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=${KVB_BENCH_BUILD:-$root/build-bench}

if [[ ! -f $build/CMakeCache.txt ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target reader_cost >/dev/null
cost=$build/bench/reader_cost

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Instructions a sample of one format's read.
per_sample() {
  local samples
  samples=$(valgrind --tool=callgrind --toggle-collect=read_once --callgrind-out-file="$work/out" \
    "$cost" "$1" 2>"$work/err" | awk '{ print $2 }') || { cat "$work/err" >&2; exit 1; }
  sed -n 's/^summary: *//p' "$work/out" | awk -v n="$samples" '{ printf "%.1f", $1 / n }'
}

base=$(per_sample csmip-v2)
status=0
printf '%-10s %18s %8s %s\n' format instructions/sample ratio met
for f in csmip-v2 cosmos smc peer geonet knet esm afad cwb unam bhrc sac; do
  n=$(per_sample "$f")
  read -r ratio met < <(awk -v n="$n" -v b="$base" 'BEGIN { r = n / b; printf "%.2f %s\n", r, (r <= 2) ? "yes" : "no" }')
  [[ $met == yes ]] || status=1
  printf '%-10s %18s %8s %s\n' "$f" "$n" "$ratio" "$met"
done
exit "$status"
