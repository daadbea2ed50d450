#!/usr/bin/env bash
# kvb-convert on a batch: N generated records (CSMIP Volume 2, three channels
# of POINTS samples at 0.005 s, by the tests' make_record_file) converted with
# -j 2 and every export (--export columns,csv,at2), then converted again with
# nothing to do. Prints the first run's records a second per core (by wall
# time, and by CPU time: user + system, the children's too) and what the
# rerun read of the inputs: the bytes read from the input files (strace -y
# names each read's file), against the inputs' size.
#   KVB_BENCH_BUILD=build-test bench/batch_bench.sh [N [POINTS]]
#   KVB_BENCH_OPTIONS=--no-plot bench/batch_bench.sh     # more kvb-convert options
#   KVB_CONVERT=/elsewhere/tools/kvb-convert bench/batch_bench.sh   # another kvb-convert
# Needs a build holding kvb-split, read-KVB, kvb-measure and make_record_file
# (a build with the tests), strace, and gnuplot for the plots.
. "$(dirname "${BASH_SOURCE[0]}")/convert_inputs.sh"
n=${1:-1000}
points=${2:-4000}
jobs=2
convert=${KVB_CONVERT:-$root/tools/kvb-convert}
read -r -a extra <<<"${KVB_BENCH_OPTIONS:-}"
make_records "$n" "$points" 10000
sleep 2  # a file changed less than 2 s before a run is read again by the next
bytes=$(du -sb "$work/in" | cut -f1)

run() {  # the wall, user and system seconds of one kvb-convert run
  { /usr/bin/time -f '%e %U %S' "$convert" -j "$jobs" --export columns,csv,at2 "${extra[@]}" -o "$work/out" \
      "$work/in" >"$work/said"; } 2>&1 | tail -1
}

uptime >&2
first=$(run)
grep -q "kvb-convert: $n records: $n converted, 0 failed" "$work/said" || { tail -3 "$work/said" >&2; exit 1; }
again=$(run)
grep -q "kvb-convert: $n records: $n converted ($n before), 0 failed" "$work/said" || { tail -3 "$work/said" >&2; exit 1; }
strace -f -y -qq -e trace=read,pread64,readv,preadv,preadv2 -e signal=none -o "$work/trace" \
  "$convert" -j "$jobs" --export columns,csv,at2 "${extra[@]}" -o "$work/out" "$work/in" >/dev/null
# Lines as "PID read(5</tmp/x/in/CE10001.V2>, "..."..., 65536) = 4096": the bytes read from the inputs.
read -r input_bytes input_files < <(awk -v in_dir="$work/in/" '
  index($0, "<" in_dir) && / = [0-9]+$/ { p = index($0, "<" in_dir) + 1; f = substr($0, p); f = substr(f, 1, index(f, ">") - 1)
                                          sum += $NF; if ($NF > 0) seen[f] = 1 }
  END { print sum + 0, length(seen) }' "$work/trace")

awk -v n="$n" -v j="$jobs" -v p="$points" -v a="$first" -v b="$again" -v bytes="$bytes" -v rb="$input_bytes" -v rf="$input_files" 'BEGIN {
  split(a, f, " "); split(b, g, " ")
  printf "%d records of %d samples (%.1f MB), -j %d, every export:\n", n, p, bytes / 1e6, j
  printf "  first run  wall %7.2f s  CPU %7.2f s  %5.2f records/s per core (wall)  %5.2f records per CPU second\n",
         f[1], f[2] + f[3], n / f[1] / j, n / (f[2] + f[3])
  printf "  rerun      wall %7.2f s  CPU %7.2f s  read %.1f MB of the inputs (%.2f times their size), from %d files\n",
         g[1], g[2] + g[3], rb / 1e6, rb / bytes, rf }'
