#!/bin/sh
# Creates the build's private Wine prefix once; later calls return at once.
# Usage: wine-prefix.sh <prefix folder>
set -eu
prefix=$1
stamp="$prefix/.nimbo-ready"
[ -f "$stamp" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# No mono or gecko: nothing here is .NET or HTML, and there is no network to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
# wineboot wants no display; keep an inherited one from opening windows during set-up.
unset DISPLAY
echo "Creating Wine prefix $prefix" >&2
wineboot -i >/dev/null 2>&1 || true
wineserver -w

reg() { wine reg add "$@" /f >/dev/null 2>&1; }
# Dialogs are measured in Calibri and Consolas; Carlito has Calibri's metrics.
reg 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /t REG_SZ /d Carlito
reg 'HKCU\Software\Wine\Fonts\Replacements' /v Consolas /t REG_SZ /d 'DejaVu Sans Mono'
# Xvfb has no window manager: let Wine draw captions and frames itself.
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N
# A fixed 96 dpi, so that point sizes turn into the same pixels as on a standard Windows desktop.
reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96
reg 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d 96
wineserver -w
touch "$stamp"
