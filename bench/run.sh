#!/usr/bin/env bash
# Measures read-KVB on the largest input against an I/O floor and a plain
# strtod/printf converter: wall time in pairs, instructions, peak memory, and
# a byte-for-byte check of the CSV. Builds everything it runs:
#   bench/run.sh                      # Release build in build-bench/
#   KVB_BENCH_BUILD=/tmp/b KVB_BENCH_PAIRS=40 bench/run.sh
# Needs cmake, a C and C++ compiler, python3 and valgrind. Exit status 0 when
# every target is met and the CSVs agree.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build=${KVB_BENCH_BUILD:-$root/build-bench}
pairs=${KVB_BENCH_PAIRS:-25}
cc=${CC:-cc}

# The program, as shipped: an optimised build.
generator=()
if [[ ! -f $build/CMakeCache.txt ]] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target read-KVB
subject=$build/src/read-KVB

# The references and the memory probe, plain -O2.
refs=$build/bench-ref
mkdir -p "$refs"
for p in floor naive peak_rss; do
  "$cc" -O2 -Wall -Wextra -Wconversion -Werror -o "$refs/$p" "$here/$p.c"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_max_input.py" "$work"

echo "read-KVB: $subject"
echo "machine:  $(nproc) cores, $(uname -sr), $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -1)"
status=0
python3 "$here/compare.py" --dir "$work" --subject "$subject" --floor "$refs/floor" \
  --naive "$refs/naive" --peak-rss "$refs/peak_rss" --pairs "$pairs" || status=$?

# Nanoseconds per field, when the micro-benchmarks are part of the build.
if grep -q '/field_bench.dir$' "$build/CMakeFiles/TargetDirectories.txt" 2>/dev/null; then
  cmake --build "$build" --target field_bench
  "$build/bench/field_bench" --benchmark_min_time=0.2
fi
exit "$status"
