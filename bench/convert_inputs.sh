# Sourced by kvb-convert's benchmarks: the programs of the build in
# $KVB_BENCH_BUILD (default build-test, a build with the tests), a work
# folder removed at the end ($work), and make_records N POINTS FIRST, which
# writes N CSMIP Volume 2 records (three channels of POINTS samples at
# 0.005 s, stations FIRST+1 on) into $work/in with the tests' make_record_file.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KVB_BENCH_BUILD:-$root/build-test}
export KVB_SPLIT=$build/src/kvb-split/kvb-split READ_KVB=$build/src/read-KVB KVB_MEASURE=$build/src/kvb-measure/kvb-measure \
  KVB_TRACE=$build/src/kvb-trace/kvb-trace
unset PLOT_ACCEL PLOT_PSA
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in"

make_records() {
  local k
  for k in $(seq 1 "$1"); do
    "$build/tests/kvb-convert/make_record_file" csmip "$work/in/CE$(($3 + k)).V2" 2 $(($3 + k)) "$2"
  done
}
