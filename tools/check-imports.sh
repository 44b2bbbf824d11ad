#!/bin/sh
# Fails when a built program or DLL imports anything but DLLs that come with Windows, beyond the
# platform DLLs each module is allowed to link: the plug-in exactly the host's two DLLs, the engine and
# GuiDlg; the host program its own two DLLs; test and benchmark programs any of the platform's DLLs.
# Usage: check-imports.sh <build folder>
set -eu
build=$1
system=' kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll oleaut32.dll
 advapi32.dll msvcrt.dll shlwapi.dll uxtheme.dll version.dll ws2_32.dll secur32.dll msimg32.dll '
platform='orbisa.cface.dll orbisa.cadio.dll pcv.dll guidlg.dll'

# The platform DLLs a module may import, by its file name and folder.
platform_allowed() {
  name=$(basename "$1" | tr 'A-Z' 'a-z')
  case "$name" in
    ocular.dll | ocular.ix) echo "orbisa.cface.dll orbisa.cadio.dll pcv.dll guidlg.dll"; return ;;
    orbisa.exe | lidor.ix) echo "orbisa.cface.dll orbisa.cadio.dll"; return ;;
    orbisa.cface.dll) echo "orbisa.cadio.dll"; return ;;
    guidlg.dll) echo "pcv.dll orbisa.cface.dll"; return ;;
  esac
  case "$1" in
    "$build"/tests/* | "$build"/benchmarks/*) echo "$platform" ;;
  esac
}

count=0
bad=0
for f in $(find "$build" -path "$build/wineprefix" -prune -o \( -name '*.exe' -o -name '*.dll' -o -name '*.ix' \) -type f -print); do
  count=$((count + 1))
  allowed="$system $(platform_allowed "$f") "
  for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$dll" in api-ms-win-*) continue ;; esac
    case "$allowed" in
      *" $dll "*) ;;
      *) echo "$f imports $dll"; bad=1 ;;
    esac
  done
done
[ "$count" -gt 0 ] || { echo "no binaries found under $build"; exit 1; }
echo "$count binaries checked"
exit $bad
