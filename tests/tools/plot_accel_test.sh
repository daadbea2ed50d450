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

err=$("$plot" junk.csv out.png 2>&1)
check "junk.csv: one line naming the line: $err" \
  [ "$err" = "plot-accel: junk.csv:1: not a line of a read-KVB Acceleration CSV (time and three values)" ]

# Beside a record file: the record's own time and facts. A stand-in gnuplot
# keeps the script it is given, then the real one draws.
mkdir rec
head -n 200 rec.csv >rec/accel.csv
cat >rec/KVB-record.json <<'JSON'
{"station": {"code": "CE1", "name": "Cedar Flat"}, "start_time": "1994-01-17 12:31:58",
 "csv_time_step": 0.02, "done": {"window": {"start": 10.0}},
 "components": [{"orientation": "360 Deg", "peak": {"value": 299.99, "time": 11.25}},
                {"orientation": "90 Deg", "peak": {"value": -150.0, "time": 10.0}},
                {"zeros": true, "peak": {"value": 0.0, "time": 0.0}}]}
JSON
mkdir bin
real_gnuplot=$(command -v gnuplot)
printf '#!/bin/sh\ntee -a "%s/script" | "%s" "$@"\n' "$tmp" "$real_gnuplot" >bin/gnuplot
chmod +x bin/gnuplot
err=$(PATH=$tmp/bin:$PATH "$plot" rec/accel.csv 2>&1 >/dev/null)
check "with a record file: nothing on stderr: $err" [ -z "$err" ]
check "with a record file: a picture" [ "$(png_size rec/accel.png)" = "1200 900" ]
for want in "title 'Cedar Flat (CE1), record of 1994-01-17 12:31:58'" \
  "set ylabel 'N00 360 Deg (cm/s²)'" "set ylabel 'UP zeros (no vertical) (cm/s²)'" \
  "set label 1 'peak -150.0 cm/s² at 10.00 s' at first 10.0, first -150.0" \
  "using (10.0 + \$1 * 0.02 / 0.005):2"; do
  check "the script has: $want" grep -qF -- "$want" script
done
check "no peak mark on a panel of zeros" [ "$(grep -c '^set label' script)" -eq 2 ]
printf '{"components": 3}\n' >rec/KVB-record.json
err=$("$plot" rec/accel.csv 2>&1)
check "a broken record file: one line: $err" [ "$err" = "plot-accel: rec/KVB-record.json: not a record file that plot-accel can read" ]

"$plot" >/dev/null 2>&1
check "no argument: exit status 2" [ $? -eq 2 ]
"$plot" a.csv b.png c >/dev/null 2>&1
check "three arguments: exit status 2" [ $? -eq 2 ]
"$plot" --help | grep -q '^Usage: plot-accel CSV \[PNG\]'
check "--help" [ $? -eq 0 ]

# kvb-trace alone: every sample with --columns 0, a value of asterisks left
# out, a peak a column, and its failures.
trace=${KVB_TRACE:-kvb-trace}
mkdir curves
"$trace" --columns 0 rec.csv curves >peaks
check "kvb-trace: every sample, 16 bytes each" [ "$(wc -c <curves/accel2.bin)" -eq 12800 ]
check "kvb-trace: the asterisks left out" [ "$(wc -c <curves/accel4.bin)" -eq 12784 ]
check "kvb-trace: a peak a column" [ "$(grep -c '^peak ' peaks)" -eq 3 ]
"$trace" rec.csv no-such-folder 2>/dev/null
check "kvb-trace: no folder: exit status 1" [ $? -eq 1 ]
"$trace" rec.csv 2>/dev/null
check "kvb-trace: one operand: exit status 2" [ $? -eq 2 ]

finish plot-accel
