#!/bin/sh
# Fails when a built program or DLL imports anything but DLLs that come with Windows.
# Usage: check-imports.sh <build folder>
set -eu
build=$1
allowed=' kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll oleaut32.dll
 advapi32.dll msvcrt.dll shlwapi.dll uxtheme.dll version.dll ws2_32.dll secur32.dll msimg32.dll '
count=0
bad=0
for f in $(find "$build" -path "$build/wineprefix" -prune -o \( -name '*.exe' -o -name '*.dll' -o -name '*.ix' \) -type f -print); do
  count=$((count + 1))
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
