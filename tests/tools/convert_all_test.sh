#!/bin/sh
# convert-all end to end: records that convert and records that fail, the
# per-record lines, the summary, the exit status, and conversions that really
# run side by side.
# Usage: convert_all_test.sh CONVERT-ALL READ-KVB
set -u
convert_all=$1
read_kvb=$2
. "$(dirname "$0")/checks.sh"
cd "$tmp" || exit 1
ulimit -c 0  # read-KVB aborts on a bad record

# A component file: 42 header records (the title on record 6), then n data
# records of eight 10-column fields holding 0.000, 0.001, 0.002, ...
component() {
  awk -v title="$2" -v n="$3" 'BEGIN {
    for (r = 1; r <= 42; r++) print (r == 6 ? title : "HEADER RECORD " r)
    for (i = 0; i < n; i++) {
      line = ""
      for (j = 0; j < 8; j++) line = line sprintf("%10.3f", (i * 8 + j) * 0.001)
      print line
    }
  }' >"$1"
}

record() {  # directory, data records per component
  mkdir -p -- "$1"
  for c in N00 N90 UP; do component "$1/KVB-$c.txt" "TITLE $c" "$2"; done
}

record r1 5
record "r 2" 3
record ./-r3 2
record missing 4
rm missing/KVB-N90.txt
record bad 4
printf '       1.0      1.0x\n' >>bad/KVB-UP.txt
: >notadir

record step20 2
printf '{"csv_time_step": 0.02}\n' >step20/KVB-record.json

out=$(READ_KVB=$read_kvb "$convert_all" -j 3 -o out.csv -- r1 "r 2" ./-r3 missing bad/ notadir step20)
status=$?
check "exit status 1 when a record fails (got $status)" [ "$status" -eq 1 ]
check "summary line" [ "$(printf '%s\n' "$out" | tail -n 1)" = "convert-all: converted 4 of 7 records, 3 failed, 1 with a time column not in 0.005 s steps" ]
for line in "ok r1" "ok r 2" "ok ./-r3" "FAILED missing: no KVB-N90.txt" \
  "FAILED bad/: \"fmt: read unexpected character\" (read-KVB ended by signal 6; see bad/read-KVB.log)" \
  "FAILED notadir: not a directory" \
  "warning step20: the time column counts 0.005 s a line, the record has 0.02 s (multiply it by 4)"; do
  check "line '$line' in: $out" sh -c 'printf "%s\n" "$1" | grep -qxF -- "$2"' sh "$out" "$line"
done
check "r1: 8*5-8 CSV lines" [ "$(wc -l <r1/out.csv)" -eq 32 ]
check "r 2: 8*3-8 CSV lines" [ "$(wc -l <"r 2/out.csv")" -eq 16 ]
check "r1: first lines" [ "$(head -n 2 r1/out.csv)" = "  0.000,     0.000,     0.000,     0.000
  0.005,     0.001,     0.001,     0.001" ]
check "r1: the dialogue in read-KVB.log" grep -q "Enter Output Acceleration File Name" r1/read-KVB.log
check "bad: the fatal report in read-KVB.log, after the dialogue" sh -c 'tail -n 4 bad/read-KVB.log | grep -q "read unexpected character"'
check "bad: no file left beside the log" [ ! -e bad/read-KVB.err ]
check "no CSV for a missing component" [ ! -e missing/out.csv ]

out=$(READ_KVB=$read_kvb "$convert_all" r1 "r 2")
check "exit status 0 when all convert" [ $? -eq 0 ]
check "summary when all convert" [ "$(printf '%s\n' "$out" | tail -n 1)" = "convert-all: converted 2 of 2 records, 0 failed" ]
check "default CSV name" [ -s r1/accel.csv ]

# Usage errors exit with 2, a missing read-KVB with 1.
for args in "" "-j 0 r1" "-j x r1" "-o a/b r1" "-q r1"; do
  # shellcheck disable=SC2086  # the arguments are split on purpose
  READ_KVB=$read_kvb "$convert_all" $args >/dev/null 2>&1
  status=$?
  check "usage error '$args' exits with 2 (got $status)" [ "$status" -eq 2 ]
done
for help in -h --help; do
  READ_KVB=$read_kvb "$convert_all" $help | grep -q '^Usage: convert-all'
  check "$help shows the usage" [ $? -eq 0 ]
done
READ_KVB=$tmp/no-such-program "$convert_all" r1 >/dev/null 2>&1
check "missing read-KVB exits with 1" [ $? -eq 1 ]

# A stand-in for read-KVB that succeeds only if it sees another conversion
# running at the same time: with -j 2 both records must succeed, with -j 1
# neither can. One that has seen it stays a moment, so the other sees it too.
cat >fake-read-KVB <<FAKE
#!/bin/sh
: >"$tmp/running.\$\$"
tries=0
while [ "\$(ls "$tmp" | grep -c '^running\.')" -lt 2 ]; do
  tries=\$((tries + 1))
  [ \$tries -gt 40 ] && { rm -f "$tmp/running.\$\$"; exit 1; }
  sleep 0.05
done
sleep 0.3
rm -f "$tmp/running.\$\$"
FAKE
chmod +x fake-read-KVB
out=$(READ_KVB=$tmp/fake-read-KVB "$convert_all" -j 2 r1 "r 2")
check "-j 2 runs two conversions at once: $out" [ $? -eq 0 ]
out=$(READ_KVB=$tmp/fake-read-KVB "$convert_all" -j 1 r1 "r 2")
check "-j 1 runs one at a time: $out" [ "$(printf '%s\n' "$out" | tail -n 1)" = "convert-all: converted 0 of 2 records, 2 failed" ]

finish convert-all
