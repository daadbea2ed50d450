#!/bin/sh
# kvb-convert end to end on generated downloads: a PEER zip with companions,
# a nested CESMD-like zip of Volume 1 and 2, two records in one folder, a
# record that fails, a rerun, an interrupt; and kvb-split --identify.
# Usage: kvb_convert_test.sh KVB-CONVERT KVB-SPLIT READ-KVB KVB-MEASURE MAKE-RECORD-FILE
set -u
convert=$1
export KVB_SPLIT=$2 READ_KVB=$3 KVB_MEASURE=$4
make=$5
. "$(dirname "$0")/../tools/checks.sh"
cd "$tmp" || exit 1
export PLOT_ACCEL=$tmp/no-plot PLOT_PSA=$tmp/no-plot  # a picture that is only a PNG's end
printf '#!/bin/sh\nprintf "\\000\\000\\000\\000IEND\\256B\\140\\202" >"$2"\n' >"$PLOT_ACCEL"
chmod +x "$PLOT_ACCEL"
mkdir "$tmp/bin" && printf '#!/bin/sh\nexit 1\n' >"$tmp/bin/gnuplot" && chmod +x "$tmp/bin/gnuplot"
export PATH="$tmp/bin:$PATH"  # the stand-ins draw; kvb-convert only asks that gnuplot be there

has_line() {  # output, line
  printf '%s\n' "$1" | grep -qxF -- "$2" || { printf 'no line "%s" in:\n%s\n' "$2" "$1"; false; }
}
zip_of() {  # zip, files...: stored under their base names
  python3 -c 'import os, sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    for f in sys.argv[2:]: z.write(f, os.path.basename(f))' "$@"
}
complete() {  # folder: every file a record folder holds (no plot)
  for f in KVB-N00.txt KVB-N90.txt KVB-UP.txt KVB-record.json accel.csv read-KVB.log; do
    [ -s "$1/$f" ] || return 1
  done
}

# A PEER download: three components, their velocity and displacement, and the
# search table: one record, three files skipped.
mkdir peer
for c in 000 090 UP; do "$make" peer peer/RSN5_ALPHA_A$c.AT2 $c "Alpha Hill" 400; done
sed '3s/.*/VELOCITY TIME SERIES IN UNITS OF CM\/S/' peer/RSN5_ALPHA_A000.AT2 >peer/RSN5_ALPHA_A000.VT2
sed '3s/.*/DISPLACEMENT TIME SERIES IN UNITS OF CM/' peer/RSN5_ALPHA_A000.AT2 >peer/RSN5_ALPHA_A000.DT2
printf 'Record Sequence Number,Earthquake Name,Station Name\n5,Synthetic,Alpha Hill\n' >peer/_SearchResults.csv
zip_of PEERNGARecords_Unscaled.zip peer/*
out=$("$convert" -o out1 PEERNGARecords_Unscaled.zip)
check "PEER zip: exit status 0 (got $?)" [ $? -eq 0 ]
check "PEER zip: the record's line" has_line "$out" \
  "ok RSN5_Alpha_Hill  Synthetic 2024-01-02  Alpha Hill  2.0 s  PGA 0.0992 g (N00) 0.0992 g (N90) 0.0992 g (UP)  Ia 0.0617 m/s D5-95 1.69 s (N00)"
check "PEER zip: summary" has_line "$out" "kvb-convert: 1 record: 1 converted, 0 failed; files skipped: 3 companions (PEERNGARecords_Unscaled.zip/RSN5_ALPHA_A000.DT2: displacement, not acceleration, PEERNGARecords_Unscaled.zip/RSN5_ALPHA_A000.VT2: velocity, not acceleration, PEERNGARecords_Unscaled.zip/_SearchResults.csv: a table, not a record); the list: skipped.csv"
check "PEER zip: one complete folder" complete out1/RSN5_Alpha_Hill
check "PEER zip: the record file names the files in the zip" \
  grep -q '"source": "PEERNGARecords_Unscaled.zip/RSN5_ALPHA_A000.AT2"' out1/RSN5_Alpha_Hill/KVB-record.json
check "PEER zip: nothing else in OUTDIR (but what it learnt of its inputs)" \
  [ "$(ls -A out1 | grep -vx '.kvb-inputs.json' | tr '\n' ' ')" = "RSN5_Alpha_Hill records.csv skipped.csv " ]

# One record by name (RSN9) but not by identity: one component's line 2
# names another earthquake. kvb-split refuses the mix; the batch says why.
mkdir mixed
for c in 000 090 UP; do "$make" peer mixed/RSN9_GAMMA_G$c.AT2 $c "Gamma Hill" 40; done
sed '2s/^Synthetic, 01\/02\/2024/Other Quake, 05\/06\/1990/' mixed/RSN9_GAMMA_GUP.AT2 >mixed/x && mv mixed/x mixed/RSN9_GAMMA_GUP.AT2
out=$("$convert" -o out8 mixed)
check "one name, two records: exit status 1 (got $?)" [ $? -eq 1 ]
check "one name, two records: refused with kvb-split's reason" \
  sh -c 'printf "%s\n" "$1" | grep -q "^FAILED RSN9_.*channels of different records"' - "$out"
check "one name, two records: no record folder" [ "$(ls -A out8 | grep -vx '.kvb-inputs.json' | tr '\n' ' ')" = "records.csv " ]

# A hostile zip: members named out of the unpacking folder and a link are
# read as plain names inside it, or left out.
python3 -c 'import sys, zipfile
with zipfile.ZipFile("hostile.zip", "w") as z:
    for c in ("000", "090", "UP"): z.write("peer/RSN5_ALPHA_A%s.AT2" % c, "../../../x/RSN5_ALPHA_A%s.AT2" % c)
    link = zipfile.ZipInfo("link.AT2"); link.external_attr = 0o120777 << 16
    z.writestr(link, "/etc/passwd")'
out=$("$convert" -o out7 hostile.zip)
check "hostile zip: one record from the three members" has_line "$out" "kvb-convert: 1 record: 1 converted, 0 failed"
check "hostile zip: nothing written outside" [ ! -e ../x ] && [ ! -e x ]
check "hostile zip: the names as inside" \
  grep -q '"source": "hostile.zip/x/RSN5_ALPHA_A000.AT2"' out7/RSN5_Alpha_Hill/KVB-record.json

# CESMD nests a zip of the station's Volume 1 and 2 in the event's zip: the
# corrected record is taken and the line says so; --uncorrected takes Volume 1.
mkdir cesmd
"$make" csmip cesmd/CE11111.V1 1 11111 300
"$make" csmip cesmd/CE11111.V2 2 11111 300
zip_of CE11111.zip cesmd/CE11111.V1 cesmd/CE11111.V2
zip_of event.zip CE11111.zip
out=$("$convert" -o out2 event.zip)
check "CESMD zip: the line says Volume 2 was taken" has_line "$out" \
  "ok CE11111_20240102  2024-01-02  11111  1.5 s  PGA 0.000918 g (N00) 0.000918 g (N90) 0.000918 g (UP)  PGV 0.228 cm/s (N00) PGD 0.0684 cm (N00) Ia 5.1e-06 m/s D5-95 0.675 s (N00)  corrected (Volume 2) used, CE11111.V1 set aside  weak: N00 1793 levels, N90 1797 levels, UP 1795 levels"
check "CESMD zip: records.csv row" grep -qxF 'CE11111_20240102,11111,Synthetic Creek,,2024-01-02,2024-01-02T18:00:00.000Z,event.zip/CE11111.zip/CE11111.V2,csmip-v2,corrected,,,,,,,0.005,0.005,1.500,,,record start,,40,-120,360 Deg,90 Deg,Up,geographic,0.0009177,0.0009177,0.0009177,0.9000,0.9000,0.9000,0.000,0.000,0.000,0.2278,0.2503,0.2425,0.06843,0.1008,0.08497,5.095e-06,5.384e-06,5.178e-06,0.6748,1.108,0.739,0.00114,0.2393,0.002228,0.001814,0.0005437,no,,ok,"corrected (Volume 2) used, CE11111.V1 set aside; weak: N00 1793 levels, N90 1797 levels, UP 1795 levels"' out2/records.csv
out=$("$convert" --uncorrected --filter none -o out3 event.zip)
check "--uncorrected takes Volume 1" has_line "$out" \
  "ok CE11111_20240102  2024-01-02  11111  1.5 s  PGA 0.09 g (N00) 0.09 g (N90) 0.09 g (UP)  Ia 0.0623 m/s D5-95 1.36 s (N00)  uncorrected (Volume 1) used, CE11111.V2 set aside; PGV, PGD not meaningful"

out=$("$convert" --uncorrected --filter 0.2:20 -o out9 event.zip)
check "--filter goes to kvb-split: the line says the band" \
  sh -c 'printf "%s\n" "$1" | grep -qF "  filtered 0.2-20 Hz (given)"' - "$out"
check "--filter: records.csv has the level and the corners" \
  grep -q ',csmip-v1,processed,0.2,0.2,0.2,20,20,20,' out9/records.csv

# Two records in one folder become two folders; a record that cannot be read
# fails with kvb-split's reason and does not stop the others.
mkdir two
"$make" csmip two/CE22222.V2 2 22222 200
"$make" csmip two/CE33333.V2 2 33333 200
"$make" csmip two/CE44444.V2 2 44444 200
head -c 3000 two/CE44444.V2 >two/bad.V2 && rm two/CE44444.V2
out=$("$convert" -j 2 -o out4 two)
check "a failed record: exit status 1 (got $?)" [ $? -eq 1 ]
check "two records: first" has_line "$out" \
  "ok CE22222_20240102  2024-01-02  22222  1.0 s  PGA 0.000918 g (N00) 0.000918 g (N90) 0.000918 g (UP)  Ia 4.6e-06 m/s D5-95 0.556 s (N00)  weak: N00 1793 levels, N90 1797 levels, UP 1795 levels"
check "two records: second" complete out4/CE33333_20240102
check "the failed record's reason" has_line "$out" \
  'FAILED bad: "kvb-split: two/bad.V2:51: field 3: blank field"'
check "summary with a failure" has_line "$out" "kvb-convert: 3 records: 2 converted, 1 failed"
check "no folder for the failed record" [ ! -e out4/bad ]
check "records.csv: failed row" grep -q '^bad,.*,failed,"""kvb-split: two/bad.V2:51: field 3: blank field"""$' out4/records.csv

# A rerun converts only what is missing; --force redoes all.
rm -r out4/CE33333_20240102
out=$("$convert" -o out4 two)
check "rerun: only the missing record's line" [ "$(printf '%s\n' "$out" | grep -c '^ok ')" -eq 1 ]
check "rerun: it is the missing one" has_line "$out" \
  "ok CE33333_20240102  2024-01-02  33333  1.0 s  PGA 0.000918 g (N00) 0.000918 g (N90) 0.000918 g (UP)  Ia 4.6e-06 m/s D5-95 0.556 s (N00)  weak: N00 1793 levels, N90 1797 levels, UP 1795 levels"
check "rerun: summary" has_line "$out" "kvb-convert: 3 records: 2 converted (1 before), 1 failed"
check "rerun: records.csv keeps the record done before" grep -q '^CE22222_20240102,.*,ok,"weak: .*; converted before"$' out4/records.csv
out=$("$convert" --force -o out4 two)
check "--force converts all again" [ "$(printf '%s\n' "$out" | grep -c '^ok ')" -eq 2 ]

# An interrupt mid-batch leaves complete folders only, and no work folder.
mkdir many
i=10000
while [ $i -lt 10040 ]; do "$make" csmip many/CE$i.V2 2 $i 30000 && i=$((i + 1)); done
for sig in INT:130 HUP:129; do
  name=${sig%:*} out=out5$name
  "$convert" -j 2 -o $out many >/dev/null 2>&1 &
  pid=$!
  tries=0
  until [ -n "$(ls $out 2>/dev/null | grep -v records.csv)" ] || [ $tries -gt 600 ]; do sleep 0.05; tries=$((tries + 1)); done
  kill -$name $pid
  wait $pid
  status=$?
  check "SIG$name: exit status ${sig#*:} (got $status)" [ $status -eq ${sig#*:} ]
  check "SIG$name: some records left to do" [ "$(ls $out | wc -l)" -lt 40 ]
  for folder in $out/*; do check "SIG$name: $folder complete" complete "$folder"; done
  check "SIG$name: no work folder left" [ -z "$(ls -A $out | grep '^\.kvb-convert-')" ]
done

# A reader of standard output that has gone: the run ends without a trace.
"$convert" -o out4 two 2>err | true
check "a closed standard output: no traceback" [ -z "$(grep Traceback err)" ]

# Names from identity: one station and date at two times are two folders;
# a PEER pair sampled at 0.004 s is resampled, its line names the method and
# the peaks changed by more than 1 %; a lone component gets zeros beside it,
# or with --strict fails with the whole reason. Names are safe for any file system.
mkdir same fast
"$make" csmip same/CE55555.V2 2 55555 200
sed 's/18:00:00.0 UTC/19:00:00.0 UTC/' same/CE55555.V2 >same/CE55555b.V2
for c in 000 090; do
  "$make" peer fast/RSN7_BETA_B$c.AT2 $c "Beta Hill" 400
  sed -i '4s/DT=  .0050/DT=  .0040/' fast/RSN7_BETA_B$c.AT2
done
out=$("$convert" -o out8 same fast)
check "one station and date twice: two folders" [ "$(ls out8 | grep CE55555 | tr '\n' ' ')" = "CE55555_20240102 CE55555_20240102_2 " ]
check "resampled pair: its line" has_line "$out" "ok RSN7_Beta_Hill  Synthetic 2024-01-02  Beta Hill  1.6 s  0.004→0.005 s band-limited (peak N00 +1.4 %, N90 +1.4 %)  PGA 0.0992 g (N00) 0.0992 g (N90)  Ia 0.0494 m/s D5-95 1.35 s (N00)  no vertical: zeros"
check "the full warnings in convert.log" grep -q '^kvb-split: warning: N00: the peak written, -98.642 cm/s², differs by +1.4 %' \
  out8/RSN7_Beta_Hill/convert.log
out=$("$convert" -o out9 fast/RSN7_BETA_B000.AT2)
check "a lone component: zeros beside it" sh -c 'printf "%s\n" "$1" | grep -q "^ok RSN7_Beta_Hill .*PGA 0.0992 g (N00)  .*  one horizontal: zeros  no vertical: zeros$"' - "$out"
out=$("$convert" --strict -o out10 fast/RSN7_BETA_B000.AT2)
check "a lone component, --strict: the reason with its channel" has_line "$out" \
  'FAILED RSN7_Beta_Hill: "kvb-split: need exactly three channels, found 1: 1. fast/RSN7_BETA_B000.AT2 channel 000 (000): horizontal" (kvb-split exit status 1)'
python3 - "$convert" <<'PYTHON' >names.txt
import importlib.machinery, sys
tool = importlib.machinery.SourceFileLoader("kvb_convert", sys.argv[1]).load_module()
for text in ("Ñuñoa - Campus", "../..//x", "CON", "com1.x", "A & B_ _C", "x" * 90, "___"):
    print(repr(tool.folders.safe_name(text)))
PYTHON
check "safe names" [ "$(cat names.txt)" = "'Nunoa_Campus'
'x'
'CON_'
'com1_.x'
'A_B_C'
'$(printf 'x%.0s' $(seq 80))'
''" ]

# kvb-measure's exports pass through, and a folder converted before gets
# those it lacks without being converted again; spectrum.png comes from
# plot-psa; a record kvb-measure cannot measure fails.
out=$("$convert" --export columns --units m/s2 -o out10 two/CE22222.V2)
check "--export columns: the OpenSees line" has_line "$out" \
  "ok CE22222_20240102  2024-01-02  22222  1.0 s  PGA 0.000918 g (N00) 0.000918 g (N90) 0.000918 g (UP)  Ia 4.6e-06 m/s D5-95 0.556 s (N00)  weak: N00 1793 levels, N90 1797 levels, UP 1795 levels  OpenSees: timeSeries Path 1 -dt 0.005 -filePath N00_m_s2_dt0.005.txt -factor 1 (N90, UP alike)"
check "--export columns: records.csv names the files" \
  grep -q ',no,N00_m_s2_dt0.005.txt; N90_m_s2_dt0.005.txt; UP_m_s2_dt0.005.txt,ok,' out10/records.csv
printf '#!/bin/sh\necho "$@" >>%s/spectrum-calls\nexec "%s" "$@"\n' "$tmp" "$PLOT_ACCEL" >plot-psa
chmod +x plot-psa
out=$(PLOT_PSA=$tmp/plot-psa "$convert" --export csv -o out10 two/CE22222.V2)
check "rerun with --export csv: measured again, and said" [ "$(printf '%s\n' "$out" | grep -c '^ok .*  measured again$')" -eq 1 ]
check "rerun with --export csv: the csv added" [ -s out10/CE22222_20240102/accel_g.csv ]
out=$(PLOT_PSA=$tmp/plot-psa "$convert" -o out11 two/CE22222.V2)
check "spectrum.png by plot-psa" [ -e out11/CE22222_20240102/spectrum.png ]
check "plot-psa given the spectrum once" [ "$(sed 's|[^ ]*/||g' spectrum-calls)" = "spectrum.csv spectrum.png" ]
printf '#!/bin/sh\necho "kvb-measure: cannot measure" >&2\nexit 1\n' >bad-measure
chmod +x bad-measure
out=$(KVB_MEASURE=$tmp/bad-measure "$convert" -o out12 two/CE22222.V2)
check "kvb-measure failing: exit status 1 (got $?)" [ $? -eq 1 ]
check "kvb-measure failing: the record fails" has_line "$out" \
  'FAILED CE22222_20240102: "kvb-measure: cannot measure" (kvb-measure exit status 1)'
check "kvb-measure failing: no folder" [ ! -e out12/CE22222_20240102 ]

# --identify: kind, format and what the readers say, per file.
"$KVB_SPLIT" --identify two/CE22222.V2 peer/RSN5_ALPHA_AUP.AT2 peer/RSN5_ALPHA_A000.VT2 two/bad.V2 \
  peer/_SearchResults.csv >identify.json
check "--identify exits with 0" [ $? -eq 0 ]
python3 - identify.json >identify.txt <<'PYTHON'
import json, sys
for f in json.load(open(sys.argv[1]))["files"]:
    c = f["channels"]
    print(f["file"], f["kind"], f["format"], len(c), c and (c[0]["station_code"], c[0]["station_name"],
          c[-1]["orientation"], c[-1]["vertical"], c[-1]["azimuth"], c[0]["interval"], c[0]["samples"]),
          (f["error"] or "")[:40])
PYTHON
check "--identify: what each file is" [ "$(cat identify.txt)" = "two/CE22222.V2 acceleration csmip-v2 3 ('22222', 'Synthetic Creek', '90 Deg', False, 90, 0.005, 200) 
peer/RSN5_ALPHA_AUP.AT2 acceleration peer 1 (None, 'Alpha Hill', 'UP', True, None, 0.005, 400) 
peer/RSN5_ALPHA_A000.VT2 companion peer 0 [] peer/RSN5_ALPHA_A000.VT2:3: expected 'AC
two/bad.V2 unknown csmip-v2 0 [] two/bad.V2:51: field 3: blank field
peer/_SearchResults.csv companion None 0 [] peer/_SearchResults.csv: not a strong-mo" ]
"$KVB_SPLIT" --identify >/dev/null 2>&1
check "--identify without a file: exit status 2" [ $? -eq 2 ]

# COSMOS Volume 0 (raw counts) beside the recording's Volume 2 is a companion;
# alone it is the record.
mkdir v0 v0v2
"$make" cosmos v0/NP8040.V0c 0 VZRO 400
cp v0/NP8040.V0c v0v2/ && "$make" cosmos v0v2/NP8040.V2c 2 VZRO 400
out=$("$convert" --no-plot -o out10 v0v2)
check "Volume 0 beside Volume 2: skipped as a companion" \
  has_line "$out" "kvb-convert: 1 record: 1 converted, 0 failed; files skipped: 1 companion (v0v2/NP8040.V0c); the list: skipped.csv"
out=$("$convert" --no-plot -o out11 v0)
check "Volume 0 alone: converted" has_line "$out" "kvb-convert: 1 record: 1 converted, 0 failed"

# A name from the download with control bytes reaches the terminal escaped.
mkdir odd
printf 'not a record\n' >"odd/$(printf 'x\033[2Jy.txt')"
out=$("$convert" --no-plot -o out9 odd 2>&1)
check "control bytes in a name are shown escaped" \
  sh -c 'printf "%s\n" "$1" | grep -qF "odd/x\\x1b[2Jy.txt" && ! printf "%s" "$1" | grep -q "$(printf "\033")"' - "$out"

# Usage errors.
for args in "" "-j 0 two" "no-such-file" "--keep-interval --resample two" "--channels 1,2,3 two" \
  "--export xls two" "--units furlong two" "--periods 1,-2 two"; do
  # shellcheck disable=SC2086  # the arguments are split on purpose
  "$convert" -o out6 $args >/dev/null 2>&1
  status=$?
  check "usage error '$args' exits with 2 (got $status)" [ "$status" -eq 2 ]
done

finish kvb-convert
