#!/bin/sh
# plot-accel end to end: a PNG of the expected size from a CSV as read-KVB
# writes it, the default output name, odd file names, and the failures.
# Usage: plot_accel_test.sh PLOT-ACCEL   (exit 77: skipped)
set -u
plot=$1
if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIP: gnuplot is not installed (Debian: apt-get install gnuplot-nox)"
  exit 77
fi
. "$(dirname "$0")/checks.sh"
cd "$tmp" || exit 1

# "WIDTH HEIGHT" from the PNG signature and IHDR chunk, or nothing.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || return 0
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}

# 800 lines in the CSV's layout, one value too wide (asterisks).
awk 'BEGIN {
  for (i = 0; i < 800; i++) {
    z = (i == 400) ? "**********" : sprintf("%10.3f", 20 * sin(i / 5))
    printf "%7.3f,%10.3f,%10.3f,%s\n", i * 0.005, 300 * sin(i / 20), -150 * cos(i / 9), z
  }
}' >rec.csv

"$plot" rec.csv picture.png >/dev/null
check "exit status 0" [ $? -eq 0 ]
check "a 1200x900 PNG" [ "$(png_size picture.png)" = "1200 900" ]
check "a PNG of some size" [ "$(wc -c <picture.png)" -gt 10000 ]

"$plot" rec.csv >/dev/null
check "default name rec.png" [ "$(png_size rec.png)" = "1200 900" ]

cp rec.csv "it's a record.csv"
"$plot" "it's a record.csv" >/dev/null
check "a name with a quote and blanks" [ "$(png_size "it's a record.png")" = "1200 900" ]

: >empty.csv
printf 'not,a,csv\n' >junk.csv
for csv in missing.csv empty.csv junk.csv; do
  "$plot" "$csv" out.png 2>/dev/null
  status=$?
  check "$csv: exit status 1 (got $status)" [ "$status" -eq 1 ]
  check "$csv: no picture left" [ ! -e out.png ]
done
check "no temporary file left" [ -z "$(ls | grep tmp)" ]

"$plot" >/dev/null 2>&1
check "no argument: exit status 2" [ $? -eq 2 ]
"$plot" a.csv b.png c >/dev/null 2>&1
check "three arguments: exit status 2" [ $? -eq 2 ]
"$plot" --help | grep -q '^Usage: plot-accel CSV \[PNG\]'
check "--help" [ $? -eq 0 ]

finish plot-accel
