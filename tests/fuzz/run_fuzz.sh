#!/usr/bin/env bash
# Builds the reader's fuzzer with clang and runs a bounded number of inputs.
# Exit 77 (skipped) when clang is missing outside CI.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
runs="${2:-4000}"
if ! command -v clang++ >/dev/null; then
  if [ -n "${CI:-}" ]; then echo "clang++ is missing"; exit 1; fi
  echo "clang++ is not installed: skipped"; exit 77
fi
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$build/corpus"
# Seeds: each part of a valid package, and a whole file.
printf '\x00<sheetData><row r="1"><c r="A1"><v>1</v></c><c r="B1"><f t="shared" ref="B1:B3" si="0">A1+1</f></c></row></sheetData><mergeCells><mergeCell ref="A2:B2"/></mergeCells>' > "$build/corpus/sheet"
# Formulas (nested, long chains), overlapping and whole-sheet merges, and
# whole-column validation rules.
printf '\x00<sheetData><row r="1"><c r="A1"><f>SUM((((1+2)*-3)/4),RANK(A2,A2:A9),-(-(1)))</f></c><c r="B1"><f>1+1+1+1+1+1+1+1-1-1-1*2/2</f><v>5</v></c></row></sheetData><mergeCells><mergeCell ref="A1:B2"/><mergeCell ref="B2:C3"/></mergeCells>' > "$build/corpus/formulas"
printf '\x00<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>x</t></is></c></row></sheetData><mergeCells><mergeCell ref="A1:XFD1048576"/></mergeCells><dataValidations><dataValidation type="list" sqref="H:H A1:C3 E5"><formula1>"a,b"</formula1></dataValidation><dataValidation type="decimal" operator="greaterThanOrEqual" sqref="J:J"><formula1>0</formula1></dataValidation></dataValidations>' > "$build/corpus/validation"
printf '\x08考号,姓名,班级,语文\r\n1,"张,三",1班,95\r\n2,"李""四\n",2班,缺考\r\n' > "$build/corpus/csv"
printf '\x09班级\t语文\n1班\t 90\n' > "$build/corpus/txt"
# An .xls as LibreOffice writes it, when LibreOffice is there to write one.
if command -v soffice >/dev/null && [ ! -s "$build/corpus/xls" ]; then
  printf '班级,语文\n1班,90\n2班,缺考\n' > "$build/seed.csv"
  soffice --headless --norestore "-env:UserInstallation=file://$build/office" --convert-to xls \
    --outdir "$build" "$build/seed.csv" >/dev/null 2>&1 || true
  [ -s "$build/seed.xls" ] && { printf '\x0a'; cat "$build/seed.xls"; } > "$build/corpus/xls"
fi
printf '\x01<si><r><rPr><sz val="9"/></rPr><t>ab</t></r></si>' > "$build/corpus/strings"
printf '\x06<c:chartSpace><c:chart><c:plotArea><c:lineChart><c:ser><c:val><c:numRef><c:f>Sheet1!$B$1:$B$2</c:f></c:numRef></c:val></c:ser></c:lineChart></c:plotArea></c:chart></c:chartSpace>' > "$build/corpus/chart"
printf '\x02<fonts><font><b/><color rgb="FFFF0000"/></font></fonts><cellXfs><xf fontId="0"/></cellXfs><colors><indexedColors><rgbColor rgb="FF000000"/></indexedColors></colors>' > "$build/corpus/styles"
mkdir -p "$build/artifacts"
ASAN_OPTIONS=detect_leaks=1 "$build/xlsx_reader_fuzz" -runs="$runs" -max_len=8192 -rss_limit_mb=2048 \
  -timeout=10 -seed=1 -artifact_prefix="$build/artifacts/" "$build/corpus" 2>&1 | tail -5
echo "1 passed, 0 failed"
