#!/usr/bin/env bash
# kvb-convert's batch time with and without the plots: N generated 60-s
# records (CSMIP Volume 2, three channels of 12000 samples at 0.005 s, by the
# tests' make_record_file), converted with -j 2, first with --no-plot, then
# with accel.png and spectrum.png; each run into a fresh output folder, the
# best of R runs.
#   KVB_BENCH_BUILD=build-test bench/plot_bench.sh [N [R]]
#   KVB_CONVERT=/elsewhere/tools/kvb-convert bench/plot_bench.sh   # another kvb-convert (and its plots)
# Needs a build holding kvb-split, read-KVB, kvb-measure and make_record_file
# (a build with the tests), and gnuplot.
. "$(dirname "${BASH_SOURCE[0]}")/convert_inputs.sh"
n=${1:-20}
r=${2:-3}
make_records "$n" 12000 70000

best() {  # label, kvb-convert options...: the best wall time of r runs and its CPU time (user + system, the
  local label=$1 t b= c=  # children's too), in seconds
  shift
  for _ in $(seq 1 "$r"); do
    rm -rf "$work/out"
    t=$( { /usr/bin/time -f '%e %U %S' "${KVB_CONVERT:-$root/tools/kvb-convert}" -j 2 "$@" -o "$work/out" "$work/in" >/dev/null; } 2>&1 | tail -1)
    if [[ -z $b ]] || awk -v t="${t%% *}" -v b="$b" 'BEGIN { exit !(t < b) }'; then
      b=${t%% *}
      c=$(awk -v t="$t" 'BEGIN { split(t, f, " "); print f[2] + f[3] }')
    fi
  done
  printf '%-10s wall %6.2f s  %5.1f records/s  CPU %6.2f s\n' "$label" "$b" "$(awk -v n="$n" -v b="$b" 'BEGIN { print n / b }')" "$c" >&2
  echo "$b $c"
}

plain=$(best "--no-plot" --no-plot)
plots=$(best "plots")
awk -v n="$n" -v a="$plots" -v b="$plain" 'BEGIN {
  split(a, p, " "); split(b, q, " ")
  printf "%d records: the plots add %.2f s of wall time (%.0f %% of the conversion without them), %.2f s of CPU (%.0f %%)\n",
         n, p[1] - q[1], 100 * (p[1] - q[1]) / q[1], p[2] - q[2], 100 * (p[2] - q[2]) / q[2] }'
ls "$work/out"/*/accel.png >/dev/null  # the pictures were drawn
