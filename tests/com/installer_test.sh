#!/usr/bin/env bash
# The installer under Wine, as a teacher and a school's IT meet it:
#   installer_test.sh WINDOWS_BUILD_DIR TEST_SOURCE_DIR
# (run by run_under_wine.sh in its prefix). It builds the installer with the
# 64-bit DLL, signed with a throwaway certificate, and checks the
# signatures; with a desktop spreadsheet and WPS Spreadsheets of 64 bits
# standing in the registry, it installs silently, creates the add-in from
# its key, uninstalls silently and compares the registry with before. Then
# it goes through the installer's pages and leaves their pictures in
# WINDOWS_BUILD_DIR/installer-*.png.
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
root=$(realpath "$source/../..")
wine=/usr/lib/wine/wine64
winpath() { echo "Z:${1//\//\\}"; }
for tool in makensis osslsigncode openssl; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 0; }
done
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

work="$build/installer-test"
rm -rf "$work" && mkdir -p "$work"

# ---- signed with a throwaway certificate ----
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=tavo test signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
SIGN_CERT="$work/cert.pem" SIGN_KEY="$work/key.pem" \
  "$root/src/installer/make_installer.sh" "$work/tavo-setup.exe" --x64 "$build/src/component/tavo.dll" >/dev/null
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/tavo-setup.exe" >"$work/verify.txt" 2>&1 ||
  fail "the installer's signature verifies: $(tail -2 "$work/verify.txt")"
grep -q "tavo test signer" "$work/verify.txt" || fail "the installer is signed by the test's certificate"

# ---- spreadsheets of 64 bits, as their registrations name them ----
programs="$work/programs"
mkdir -p "$programs/office" "$programs/wps/office6"
cp "$build/tests/com/window_picture.exe" "$programs/office/EXCEL.EXE"
cp "$build/tests/com/window_picture.exe" "$programs/wps/office6/et.exe"
"$wine" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\excel.exe' /ve \
  /d "$(winpath "$programs/office/EXCEL.EXE")" /f >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Kingsoft\Office\6.0\Common' /v InstallRoot \
  /d "$(winpath "$programs/wps/office6")" /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -w

dump() {  # the parts of the registry the installer may touch, as text
  local out=$1
  : >"$out"
  for key in 'HKCU\Software' 'HKLM\Software\Classes'; do
    "$wine" reg export "$key" "$(winpath "$work/part.reg")" /y >/dev/null 2>&1 || continue
    iconv -f UTF-16LE -t UTF-8 "$work/part.reg" | tr -d '\r' |
      grep -v -e '^Windows Registry Editor' -e '^#time=' -e '^$' >>"$out"
  done
  /usr/lib/wine/wineserver64 -w
}
query() { "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -i "$2" | awk '{print $NF}'; }

dump "$work/before.txt"

# ---- silent install: registered for the spreadsheets found ----
"$wine" "$work/tavo-setup.exe" /S || fail "the silent install ends with status 0"
/usr/lib/wine/wineserver64 -w
installed="$(winpath "$build/wineprefix")"
folder=$(ls -d "$build"/wineprefix/drive_c/users/*/AppData/Local/tavo 2>/dev/null | head -1)
[ -f "$folder/x64/tavo.dll" ] && [ -f "$folder/uninstall.exe" ] || fail "the DLL and the uninstaller in %LOCALAPPDATA%\\tavo"
[ -f "$folder/x64/tavo.dll" ] && { osslsigncode verify -CAfile "$work/cert.pem" -in "$folder/x64/tavo.dll" >/dev/null 2>&1 ||
  fail "the installed DLL is signed"; }
[ "$(query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tavo' RegisteredBuilds)" = 64 ] ||
  fail "the 64-bit build is registered for 64-bit spreadsheets"
[ -n "$("$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tavo' /v DisplayName 2>/dev/null | grep DisplayName)" ] ||
  fail "an entry in the apps list"
[ "$(query 'HKCU\Software\Microsoft\Office\Excel\Addins\tavo.addin' LoadBehavior)" = 0x3 ] ||
  fail "the desktop spreadsheet loads the add-in at start-up"
"$wine" reg query 'HKCU\Software\Kingsoft\Office\ET\AddinsWL' /v tavo.addin >/dev/null 2>&1 ||
  fail "WPS Spreadsheets' allow-list names the add-in"
cat >"$work/create.vbs" <<'VBS'
Set addIn = CreateObject("tavo.addin")
WScript.Echo TypeName(addIn)
VBS
created=$("$wine" cscript //nologo "$(winpath "$work/create.vbs")" 2>&1 | tr -d '\r' || true)
[ -n "$created" ] && ! grep -qi error <<<"$created" || fail "the add-in is created from its key: $created"

# ---- silent uninstall: the registry as it was ----
"$wine" "$folder/uninstall.exe" /S || fail "the silent uninstall ends with status 0"
/usr/lib/wine/wineserver64 -w
sleep 1
dump "$work/after.txt"
if ! diff -q "$work/before.txt" "$work/after.txt" >/dev/null; then
  fail "the registry after uninstalling equals the registry before:"
  diff "$work/before.txt" "$work/after.txt" | head -20
fi
[ ! -e "$folder" ] || fail "the install folder is gone"

# ---- the pages a teacher sees ----
picture="$build/tests/com/window_picture.exe"
rm -f "$build"/installer-*.bmp "$build"/installer-*.png
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  '$wine' '$work/tavo-setup.exe' &
  '$wine' '$picture' '成绩统计 (tavo)' '$(winpath "$build/installer-1-folder.bmp")' press && sleep 4 &&
  '$wine' '$picture' '成绩统计 (tavo)' '$(winpath "$build/installer-2-done.bmp")' press
  status=\$?
  sleep 2
  /usr/lib/wine/wineserver64 -w
  exit \$status
" >/dev/null 2>&1 || fail "the installer's pages"
for p in "$build"/installer-*.bmp; do
  [ -f "$p" ] && python3 "$source/bmp_to_png.py" "$p" "${p%.bmp}.png" && rm -f "$p"
done
[ -f "$build/installer-2-done.png" ] || fail "pictures of the installer's pages"
folder=$(ls -d "$build"/wineprefix/drive_c/users/*/AppData/Local/tavo 2>/dev/null | head -1)
[ -n "$folder" ] && "$wine" "$folder/uninstall.exe" /S
/usr/lib/wine/wineserver64 -w
"$wine" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\excel.exe' /f >/dev/null 2>&1 || true
"$wine" reg delete 'HKCU\Software\Kingsoft' /f >/dev/null 2>&1 || true
/usr/lib/wine/wineserver64 -w

if [ $failures -eq 0 ]; then echo "installer: PASSED"; else echo "installer: FAILED ($failures)"; exit 1; fi
