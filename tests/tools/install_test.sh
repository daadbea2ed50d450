#!/bin/sh
# cmake --install puts the programs, the tools (and the module they share)
# and their manual pages in place, and the manual pages format without
# warnings. The installed tools run from there, away from the source tree.
# Usage: install_test.sh CMAKE BUILD-DIR
set -u
cmake=$1
build=$2
. "$(dirname "$0")/checks.sh"

"$cmake" --install "$build" --prefix "$tmp" >/dev/null
check "cmake --install succeeds" [ $? -eq 0 ]
for program in read-KVB kvb-split kvb-measure kvb-trace plot-accel plot-psa convert-all kvb-convert kvb-suite; do
  check "bin/$program" [ -x "$tmp/bin/$program" ]
  page=$tmp/share/man/man1/$program.1
  check "man1/$program.1" [ -s "$page" ]
  if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
    check "$program.1 formats without warnings: $warnings" [ -z "$warnings" ]
    for section in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS" EXAMPLES "SEE ALSO"; do
      check "$program.1 has $section" grep -q "^\.SH \"\{0,1\}$section" "$page"
    done
  fi
done
"$tmp/bin/kvb-split" --help | grep -q '^Usage: kvb-split'
check "the installed kvb-split runs" [ $? -eq 0 ]
"$tmp/bin/kvb-measure" --help | grep -q '^Usage: kvb-measure'
check "the installed kvb-measure runs" [ $? -eq 0 ]
for module in kvbtools.py kvbconvert/inputs.py kvbconvert/folders.py kvbconvert/skipped.py kvbconvert/shard.py kvbconvert/pictures.py; do
  check "share/read-KVB/$module" [ -s "$tmp/share/read-KVB/$module" ]
done
for tool in plot-accel plot-psa convert-all kvb-convert kvb-suite; do
  (cd / && "$tmp/bin/$tool" -h) | grep -q "^Usage: $tool"
  check "the installed $tool runs" [ $? -eq 0 ]
done
if command -v gnuplot >/dev/null 2>&1; then  # plot-accel finds the kvb-trace installed beside it
  printf '%7.3f,%10.3f,%10.3f,%10.3f\n' 0 1 2 3 0.005 -1 -2 -3 >"$tmp/accel.csv"
  (cd / && env -u KVB_TRACE PATH=/usr/bin:/bin "$tmp/bin/plot-accel" "$tmp/accel.csv") >/dev/null
  check "the installed plot-accel draws with the installed kvb-trace" [ -s "$tmp/accel.png" ]
fi

finish install
