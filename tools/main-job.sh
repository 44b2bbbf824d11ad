#!/bin/sh
# Builds setup.exe, lays out installation media for the sample products under examples/products, installs
# them silently into the build's Wine prefix and shows what went where.
#   tools/main-job.sh                  silent installations of all three samples
#   tools/main-job.sh --interactive    the wizard for the basic sample, a screenshot of every window
# The build folder is build/ or $NIMBO_BUILD_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBO_BUILD_DIR:-$root/build}
mode=silent
[ "${1:-}" = "--interactive" ] && mode=interactive

"$root/tools/bootstrap.sh"
NIMBO_BUILD_DIR=$build "$root/tools/build.sh" --target setup sample_service sample_app >/dev/null
run() { "$build/wine-run" "$@"; }
run cmd /c exit 2>/dev/null || true   # the prefix exists from here on
drive_c="$build/wineprefix/drive_c"

# Installation media: setup.exe beside setup.inf and the payload in its installed layout.
media="$build/media"
rm -rf "$media"
mkdir -p "$media"
for product in basic microstation orbisa; do
  cp -r "$root/examples/products/$product" "$media/$product"
  cp "$build/setup/setup.exe" "$media/$product/"
done
mkdir -p "$media/basic/bin"
cp "$build/examples/nimbo_photo.exe" "$build/examples/nimbo_slave.exe" "$media/basic/bin/"
echo "== Installation media in $media"
(cd "$media" && find . -type f | sort)

user_folder=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)

if [ "$mode" = interactive ]; then
  shots="$build/screenshots/main-job"
  mkdir -p "$shots"
  rm -f "$shots"/*.png
  interactive() {
    run "$media/basic/setup.exe" &
    setup_pid=$!
    n=0
    last=""
    # Photographs every new window title that appears until setup ends; the user answers the pages.
    while kill -0 "$setup_pid" 2>/dev/null; do
      title=$(xdotool getactivewindow getwindowname 2>/dev/null || true)
      if [ -n "$title" ] && [ "$title" != "$last" ]; then
        sleep 0.5
        n=$((n + 1))
        import -window root "$shots/$n.png"
        echo "screenshot $shots/$n.png: $title"
        last=$title
      fi
      sleep 0.3
    done
    wait "$setup_pid" || echo "setup.exe ended with exit code $?"
  }
  if [ -n "${DISPLAY:-}" ]; then
    interactive
  else
    echo "== No display: the wizard runs on a private Xvfb display"
    export -f interactive 2>/dev/null || true
    NIMBO_WINE_RUN="$build/wine-run" "$root/tools/with-display.sh" sh -c "
      build='$build'; media='$media'; shots='$shots'
      $(type run | sed 1d)
      $(type interactive | sed 1d)
      interactive"
  fi
  exit 0
fi

# A fresh start, so that the tree below shows this run only.
rm -rf "$drive_c/Nimbo"
# Hosts the samples connect to: MicroStation's configuration folder and the user's Orbisa includes folder.
mkdir -p "$drive_c/Bentley/MicroStation/config/appl" "$user_folder/Orbisa/config/includes"

install() {
  name=$1
  shift
  echo
  echo "== setup.exe $* (media/$name)"
  status=0
  run "$media/$name/setup.exe" "$@" || status=$?
  echo "exit code $status"
}
install basic 'C:\Nimbo\Photo' 'C:\Nimbo\PhotoSettings' 'C:\unused'
install microstation 'C:\Nimbo\Survey' 'C:\Nimbo\SurveySettings' 'C:\Bentley\MicroStation'
install orbisa 'C:\Nimbo\Ocularis' 'C:\Nimbo\OcularisSettings' 'C:\Orbisa'
sleep 2

echo
echo "== Installed tree ($drive_c/Nimbo)"
(cd "$drive_c" && find Nimbo | sort)
for product in Photo Survey Ocularis; do
  echo
  printf '%s\n' "== C:\\Nimbo\\$product\\settings_path.txt"
  cat "$drive_c/Nimbo/$product/settings_path.txt"
done
echo
printf '%s\n' "== C:\\Nimbo\\SurveySettings\\nimbo.cfg"
cat "$drive_c/Nimbo/SurveySettings/nimbo.cfg"
echo
printf '%s\n' "== C:\\Bentley\\MicroStation\\config\\appl"
ls -l "$drive_c/Bentley/MicroStation/config/appl"
echo
echo "== Orbisa include expanded from a template: ${user_folder#$drive_c/}/Orbisa/config/includes/ocularis.cfg"
cat "$user_folder/Orbisa/config/includes/ocularis.cfg"
echo
echo "== Service NimboSlaveService"
run reg query 'HKLM\System\CurrentControlSet\Services\NimboSlaveService' 2>/dev/null | tr -d '\r' | grep -E 'ImagePath|ObjectName|Start|Type' || true
echo "heartbeat: $(cat "$drive_c/Nimbo/Photo/bin/heartbeat.txt" 2>/dev/null || echo none)"
run net stop NimboSlaveService >/dev/null 2>&1 || true
sleep 2
echo "after stopping it: $(cat "$drive_c/Nimbo/Photo/bin/heartbeat.txt" 2>/dev/null || echo none)"
echo
echo "== Start-menu shortcut"
link=$(find "$user_folder" -name 'Nimbo Photo.lnk' | head -n 1)
if [ -n "$link" ]; then
  echo "${link#$drive_c/}"
  printf 'holds: %s\n' "$( (strings "$link"; strings -el "$link") | grep -i 'nimbo' | sort -u | tr '\n' ' ')"
else
  echo "none"
fi
