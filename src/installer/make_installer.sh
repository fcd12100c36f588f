#!/usr/bin/env bash
# Builds the installer a teacher double-clicks:
#   make_installer.sh OUT.exe --x64 DLL64 [--x86 DLL32]   for 64-bit Windows
#   make_installer.sh OUT.exe --x86 DLL32                 for 32-bit Windows
# With SIGN_CERT and SIGN_KEY (PEM files; SIGN_PASS for the key's password
# if any) the DLLs are signed before they are packed, and the installer
# after. The DLLs are signed as copies; the built ones stay as they are.
set -euo pipefail
out=$(realpath -m "$1")
shift
dll64="" dll32=""
while [ $# -ge 2 ]; do
  case "$1" in
    --x64) dll64=$(realpath "$2") ;;
    --x86) dll32=$(realpath "$2") ;;
    *) echo "usage: make_installer.sh OUT.exe [--x64 DLL] [--x86 DLL]" >&2; exit 1 ;;
  esac
  shift 2
done
[ -n "$dll64$dll32" ] || { echo "make_installer.sh: no DLL given" >&2; exit 1; }
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sign() {  # sign FILE: in place
  local args=(-certs "$SIGN_CERT" -key "$SIGN_KEY" -n "成绩统计 (tavo)" -h sha256)
  [ -n "${SIGN_PASS:-}" ] && args+=(-pass "$SIGN_PASS")
  osslsigncode sign "${args[@]}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}

defines=()
if [ -n "$dll64" ]; then
  cp "$dll64" "$work/tavo64.dll"
  defines+=(-DDLL64="$work/tavo64.dll")
else
  defines+=(-DTARGET=x86-unicode)
fi
if [ -n "$dll32" ]; then
  cp "$dll32" "$work/tavo32.dll"
  defines+=(-DDLL32="$work/tavo32.dll")
fi
signing=""
[ -n "${SIGN_CERT:-}" ] && [ -n "${SIGN_KEY:-}" ] && signing=yes
if [ -n "$signing" ]; then
  for dll in "$work"/tavo*.dll; do sign "$dll"; done
fi
version=$(sed -n 's/^project(tavo VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
makensis -V2 -INPUTCHARSET UTF8 "${defines[@]}" -DVERSION="${version:-1.0.0}" \
  -DGUIDE="$here/../../docs/windows-component.md" -DOUTFILE="$out" "$here/tavo-setup.nsi"
[ -n "$signing" ] && sign "$out"
echo "$out"
