#!/bin/sh
# Installs, from Debian's packages, whatever the build and the tests need and is not yet there.
# Idempotent: with everything present it only checks and returns.
set -eu
packages="
  cmake ninja-build
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest libglm-dev libz-mingw-w64-dev qtbase5-dev-tools
  wine wine64 fonts-wine
  xvfb xauth xdotool imagemagick
  fonts-crosextra-carlito fonts-dejavu-core
  clang-format
"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq $missing
fi
