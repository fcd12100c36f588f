#!/usr/bin/env bash
# Runs the component's tests under Wine on a virtual display:
#   run_under_wine.sh WINDOWS_BUILD_DIR TEST_SOURCE_DIR
# component_test.exe registers the DLL, drives every command through it and
# unregisters it; addin_test.exe loads the add-in as the spreadsheet does and
# clicks through its dialog, leaving its picture in WINDOWS_BUILD_DIR/
# addin-dialog.png; then regsvr32 registers the DLL again for a VBScript
# client run by Wine's cscript; installer_test.sh installs and removes the
# add-in with the installer. Skipped (77) where Wine is not installed.
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
addin_exe="$build/tests/com/addin_test.exe"
for f in "$dll" "$test_exe" "$addin_exe"; do
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
  # Wine draws the windows' frames and captions itself: the virtual
  # display has no window manager, and the dialog's picture shows its title.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # As a Chinese Windows links its interface font to a Chinese one, so that
  # captions show their characters.
  "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
    /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /f >/dev/null 2>&1
  # The Chinese installer pages name the usual Chinese system font.
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '宋体' /d 'WenQuanYi Zen Hei' /f >/dev/null 2>&1
  # The prefix's first processes ran without a display; the tests need a
  # session that starts on the virtual one.
  /usr/lib/wine/wineserver64 -w
fi
winpath() { echo "Z:${1//\//\\}"; }

status=0
xvfb-run -a "$wine" "$test_exe" "$(winpath "$dll")" || status=1

rm -f "$build"/addin-dialog*.bmp
if xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$addin_exe" "$(winpath "$dll")" \
    "$(winpath "$build/addin-dialog.bmp")"; then
  echo "add-in: PASSED"
else
  echo "add-in: FAILED"
  status=1
fi
# The dialog on a display scaled to 150 %.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
/usr/lib/wine/wineserver64 -w 2>/dev/null || true
if xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$addin_exe" "$(winpath "$dll")" \
    "$(winpath "$build/addin-dialog-150.bmp")" layout; then
  echo "add-in at 150 %: PASSED"
else
  echo "add-in at 150 %: FAILED"
  status=1
fi
"$wine" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
/usr/lib/wine/wineserver64 -w 2>/dev/null || true
for picture in "$build"/addin-dialog*.bmp; do
  [ -f "$picture" ] && python3 "$source/bmp_to_png.py" "$picture" "${picture%.bmp}.png"
done

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

"$source/installer_test.sh" "$build" "$source" || status=1
exit $status
