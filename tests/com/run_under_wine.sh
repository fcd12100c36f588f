#!/usr/bin/env bash
# Runs the component's tests under Wine on a virtual display:
#   run_under_wine.sh WINDOWS_BUILD_DIR TEST_SOURCE_DIR
# component_test.exe registers the DLL, drives every command through it and
# unregisters it; then regsvr32 registers it again for a VBScript client run
# by Wine's cscript. Skipped (77) where Wine is not installed.
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
wine=/usr/lib/wine/wine64
if [ ! -x "$wine" ] || ! command -v xvfb-run >/dev/null; then
  echo "wine64 or xvfb-run missing: skipped"
  exit 77
fi
dll="$build/src/component/tavo.dll"
test_exe="$build/tests/com/component_test.exe"
for f in "$dll" "$test_exe"; do
  [ -f "$f" ] || { echo "missing $f (make windows64 builds it)"; exit 1; }
done

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  # A crash prints a backtrace and ends the program instead of waiting for
  # someone at a debugger.
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
    /d 'winedbg --auto %ld %ld' /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
  # The prefix's first processes ran without a display; the tests need a
  # session that starts on the virtual one.
  /usr/lib/wine/wineserver64 -w
fi
winpath() { echo "Z:${1//\//\\}"; }

status=0
xvfb-run -a "$wine" "$test_exe" "$(winpath "$dll")" || status=1

folder="$build/script-client"
rm -rf "$folder" && mkdir -p "$folder/数据" && touch "$folder/数据/a.xlsx"
"$wine" regsvr32 /s "$(winpath "$dll")"
if xvfb-run -a "$wine" cscript //nologo "$(winpath "$source/script_client.vbs")" "$(winpath "$folder")"; then
  echo "script client: PASSED"
else
  echo "script client: FAILED"
  status=1
fi
"$wine" regsvr32 /s /u "$(winpath "$dll")"
/usr/lib/wine/wineserver64 -w 2>/dev/null || true
exit $status
