; The installer a teacher double-clicks: for the current user, without an
; administrator. It copies both builds of tavo.dll, registers the one that
; matches each spreadsheet installed (the desktop spreadsheet's bitness is
; that of its program file; WPS Spreadsheets likewise), and leaves an entry
; in the Windows apps list whose uninstaller removes what it registered.
;
;   makensis -DDLL64=... [-DDLL32=...] -DVERSION=... -DOUTFILE=... tavo-setup.nsi
;   makensis -DTARGET=x86-unicode -DDLL32=... ...     (for 32-bit Windows)
;
; /S installs silently; the uninstaller takes /S as well.

Unicode true
!include LogicLib.nsh
!ifndef TARGET
  !define TARGET amd64-unicode
!endif
Target ${TARGET}
!ifndef VERSION
  !define VERSION 1.0.0
!endif

!define PRODUCT "成绩统计 (tavo)"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tavo"
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths"
!define WPS_COMMON "Software\Kingsoft\Office\6.0\Common"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\tavo"
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show
SetCompressor /SOLID lzma
BrandingText "tavo ${VERSION}"

LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "tavo"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var bits      ; "64", "32" or "64 32": the builds registered
Var program   ; a spreadsheet's program file

; $R1 = "64" or "32" for the program file in $R0, "" when it is unreadable:
; the machine field of its PE header.
Function MachineOf
  StrCpy $R1 ""
  StrCpy $R5 $R0 1
  ${If} $R5 == '"'
    StrCpy $R0 $R0 "" 1
  ${EndIf}
  StrCpy $R5 $R0 1 -1
  ${If} $R5 == '"'
    StrCpy $R0 $R0 -1
  ${EndIf}
  ${If} $R0 == ""
    Return
  ${EndIf}
  ClearErrors
  FileOpen $R2 $R0 r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileSeek $R2 0x3C SET
  FileReadByte $R2 $R3
  FileReadByte $R2 $R4
  IntOp $R4 $R4 << 8
  IntOp $R3 $R3 + $R4
  IntOp $R3 $R3 + 4
  FileSeek $R2 $R3 SET
  FileReadByte $R2 $R4
  FileClose $R2
  ${If} $R4 == 100      ; 0x8664
    StrCpy $R1 "64"
  ${ElseIf} $R4 == 76   ; 0x014C
    StrCpy $R1 "32"
  ${EndIf}
FunctionEnd

; Adds $R1 to $bits: "64", "32" or both as "64 32".
Function NeedBits
  ${If} $R1 == ""
  ${OrIf} $bits == $R1
  ${OrIf} $bits == "64 32"
    Return
  ${EndIf}
  ${If} $bits == ""
    StrCpy $bits $R1
  ${Else}
    StrCpy $bits "64 32"
  ${EndIf}
FunctionEnd

; The desktop spreadsheet's program file, in either registry view.
Function FindSpreadsheets
  StrCpy $bits ""
  SetRegView 64
  ReadRegStr $program HKLM "${APP_PATHS}\excel.exe" ""
  ${If} $program == ""
    ReadRegStr $program HKCU "${APP_PATHS}\excel.exe" ""
  ${EndIf}
  ${If} $program == ""
    SetRegView 32
    ReadRegStr $program HKLM "${APP_PATHS}\excel.exe" ""
    SetRegView 64
  ${EndIf}
  StrCpy $R0 $program
  Call MachineOf
  Call NeedBits
  ; WPS Spreadsheets keeps its program folder for the current user.
  ReadRegStr $program HKCU "${WPS_COMMON}" "InstallRoot"
  ${If} $program != ""
    StrCpy $R0 "$program\et.exe"
    Call MachineOf
    Call NeedBits
  ${EndIf}
  ; Nothing found: the build that matches this installer's Windows.
  ${If} $bits == ""
    StrCpy $bits "64"
  ${EndIf}
!ifndef DLL64
  StrCpy $bits "32"  ; 32-bit Windows runs 32-bit spreadsheets only
!endif
FunctionEnd

; The 64-bit build by the 64-bit regsvr32, the 32-bit one by the 32-bit.
!macro Register FOLDER REGSVR
  ExecWait '"${REGSVR}" /s "$INSTDIR\${FOLDER}\tavo.dll"' $0
  ${If} $0 != 0
    DetailPrint "regsvr32 ${FOLDER}\tavo.dll: $0"
    MessageBox MB_OK|MB_ICONSTOP "无法登记 $INSTDIR\${FOLDER}\tavo.dll（regsvr32 返回 $0）。请关闭表格程序后再安装一次。" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
!macroend

Section "tavo"
  SetShellVarContext current
  Call FindSpreadsheets
!ifdef DLL64
  SetOutPath "$INSTDIR\x64"
  File "/oname=tavo.dll" "${DLL64}"
!endif
!ifdef DLL32
  SetOutPath "$INSTDIR\x86"
  File "/oname=tavo.dll" "${DLL32}"
!endif
!ifdef GUIDE
  SetOutPath "$INSTDIR"
  File "/oname=安装说明.md" "${GUIDE}"
!endif
  StrCpy $R0 $bits 2
  ${If} $R0 == "64"
    !insertmacro Register x64 "$WINDIR\System32\regsvr32.exe"
  ${EndIf}
  StrCpy $R0 $bits 2 -2
  ${If} $R0 == "32"
!ifdef DLL32
  !ifdef DLL64
    !insertmacro Register x86 "$WINDIR\SysWOW64\regsvr32.exe"
  !else
    !insertmacro Register x86 "$SYSDIR\regsvr32.exe"
  !endif
!else
    DetailPrint "这个安装程序没有 32 位的 tavo.dll"
    SetErrorLevel 2
!endif
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "tavo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "RegisteredBuilds" "$bits"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ReadRegStr $bits HKCU "${UNINSTALL_KEY}" "RegisteredBuilds"
  StrCpy $R0 $bits 2
  ${If} $R0 == "64"
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s /u "$INSTDIR\x64\tavo.dll"'
  ${EndIf}
  StrCpy $R0 $bits 2 -2
  ${If} $R0 == "32"
!ifdef DLL64
    ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s /u "$INSTDIR\x86\tavo.dll"'
!else
    ExecWait '"$SYSDIR\regsvr32.exe" /s /u "$INSTDIR\x86\tavo.dll"'
!endif
  ${EndIf}
  Delete "$INSTDIR\x64\tavo.dll"
  Delete "$INSTDIR\x86\tavo.dll"
  Delete "$INSTDIR\安装说明.md"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\x64"
  RMDir "$INSTDIR\x86"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
