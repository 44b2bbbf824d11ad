#!/bin/sh
# Builds setup.exe, the plug-in and the host, lays out installation media for the sample products under
# examples/products, installs them silently into the build's Wine prefix and shows what went where; then
# starts the Orbisa host with Lidora and the installed plug-in, has it draw a generated scene in four views
# and saves their images.
#   tools/main-job.sh                  silent installations of all three samples, then the host
#   tools/main-job.sh --view           the same, but the host stays open for a person (needs DISPLAY)
#   tools/main-job.sh --interactive    the wizard for the basic sample, a screenshot of every window
# The build folder is build/ or $NIMBO_BUILD_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBO_BUILD_DIR:-$root/build}
mode=silent
[ "${1:-}" = "--interactive" ] && mode=interactive
[ "${1:-}" = "--view" ] && mode=view

"$root/tools/bootstrap.sh"
NIMBO_BUILD_DIR=$build "$root/tools/build.sh" --target setup sample_service sample_app orbisa lidor ocular >/dev/null
# The host draws into real windows: without a display of our own the rest runs on a private Xvfb display.
if [ "$mode" = view ] && [ -z "${DISPLAY:-}" ]; then
  echo "--view needs a display of your own (DISPLAY)"
  exit 1
fi
# Wine keeps the display its first program of a session found, so this happens before any runs (and
# ends what an earlier run of this build may have left without a display).
if [ "$mode" = silent ] && [ -z "${DISPLAY:-}" ]; then
  "$build/wine-run" --stop >/dev/null 2>&1 || true
  NIMBO_WINE_RUN="$build/wine-run" exec "$root/tools/with-display.sh" env NIMBO_BUILD_DIR="$build" "$0"
fi
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
# The Orbisa sample installs the plug-in just built, in place of the placeholder of the repository.
cp "$build/bin/ocular.ix" "$media/orbisa/apps/ocular.ix"
echo "== Installation media in $media"
(cd "$media" && find . -type f | sort)

user_folder=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)


if [ "$mode" = interactive ]; then
  # Without a display of our own the wizard runs on a private Xvfb display, where nobody can click: there
  # the pages are answered from the keyboard (accept, then Enter on each page and on the final message).
  if [ -z "${DISPLAY:-}" ]; then
    NIMBO_WINE_RUN="$build/wine-run" exec "$root/tools/with-display.sh" env NIMBO_BUILD_DIR="$build" \
      NIMBO_MAIN_JOB_ANSWER=1 "$0" --interactive
  fi
  shots="$build/screenshots/main-job"
  mkdir -p "$shots"
  rm -f "$shots"/*.png
  echo "== The wizard of media/basic; screenshots go to $shots"
  run "$media/basic/setup.exe" &
  setup_pid=$!
  n=0
  last=""
  # Wine draws its own frames here, so there is no window manager to ask for the active window: the newest
  # visible window with one of setup's titles is the one in front.
  while kill -0 "$setup_pid" 2>/dev/null; do
    window=$(xdotool search --onlyvisible --name '^(Nimbo Setup|setup)' 2>/dev/null | tail -n 1 || true)
    title=""
    [ -n "$window" ] && title=$(xdotool getwindowname "$window" 2>/dev/null || true)
    if [ -n "$title" ] && [ "$window $title" != "$last" ]; then
      sleep 1
      n=$((n + 1))
      import -window root "$shots/$n.png"
      echo "screenshot $n.png: $title"
      last="$window $title"
      if [ "${NIMBO_MAIN_JOB_ANSWER:-}" = 1 ]; then
        xdotool windowfocus "$window" 2>/dev/null || true
        case "$title" in
          *"License Agreement") xdotool key space; sleep 0.5; xdotool key Return ;;
          *) xdotool key Return ;;
        esac
      fi
    fi
    sleep 0.3
  done
  status=0
  wait "$setup_pid" || status=$?
  echo "setup.exe ended with exit code $status"
  printf '%s\n' "C:\\Nimbo\\Photo\\settings_path.txt: $(cat "$drive_c/Nimbo/Photo/settings_path.txt" 2>/dev/null || echo none)"
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

# ---- The plug-in in the host ------------------------------------------------------------------------
# setup.exe put ocular.ix into C:\Nimbo\Ocularis\apps and settings_path.txt one folder above it, naming
# C:\Nimbo\OcularisSettings; the plug-in finds its settings there and writes ocular.upf at unload.
# (Windows paths go through printf: the shell's echo would take their backslashes for escapes.)
installed='C:\Nimbo\Ocularis\apps\ocular.ix'
settings_upf="$drive_c/Nimbo/OcularisSettings/ocular/ocular.upf"
host_preferences="$drive_c/ocular/ocularObx.upf"
rm -f "$settings_upf" "$host_preferences"
images="$build/main-job"
mkdir -p "$images"
rm -f "$images"/view*.png
windows_path() { printf 'Z:%s' "$1" | tr '/' '\\'; }
script="$images/ocularis.script"
{
  printf '%s\n' "# A generated Lidora scene converted by the plug-in and drawn in the four views."
  printf '%s\n' "keyin lidora generate 300000" "keyin update loaded"
  for n in 0 1 2 3; do
    printf '%s\n' "view $n fit 636800 848800 60 637200 849200 160"
  done
  printf '%s\n' "view 3 stereo on" "redraw"
  if [ "$mode" != view ]; then
    for n in 0 1 2 3; do
      printf 'save %s %s\n' "$n" "$(windows_path "$images/view$n.png")"
    done
    printf '%s\n' "exit"
  fi
} >"$script"
printf '\n== Orbisa host with lidor.ix and the installed %s\n' "$installed"
if [ "$mode" = view ]; then
  echo "The host stays open: the views show the scene, view 3 in stereo. Close it to end."
else
  # Without a GPU renderer the plug-in warns at every start that it falls back to CPU mode: that
  # message dialog (titled "Ocularis") is answered with Enter, as a person would.
  (
    while :; do
      for window in $(xdotool search --onlyvisible --name '^Ocularis$' 2>/dev/null); do
        echo "answered a message of the plug-in" >>"$images/answered.txt"
        xdotool windowfocus "$window" key Return 2>/dev/null || true
      done
      sleep 1
    done
  ) &
  answerer=$!
  trap 'kill "$answerer" 2>/dev/null || true' EXIT
fi
rm -f "$images/answered.txt"
status=0
set -- --app "$(windows_path "$build/bin/lidor.ix")" --app "$installed" --script "$(windows_path "$script")" \
  --log "$(windows_path "$images/call.log")"
if [ "$mode" = view ]; then
  "$build/wine-run" "$build/bin/orbisa.exe" "$@" || status=$?
else
  "$build/wine-run" "$build/bin/orbisa.exe" "$@" --exit >"$images/host-output.txt" 2>&1 || status=$?
  kill "$answerer" 2>/dev/null || true
fi
echo "orbisa.exe ended with exit code $status (output: $images/host-output.txt, call log: $images/call.log)"
[ -f "$images/answered.txt" ] && echo "messages of the plug-in answered: $(wc -l <"$images/answered.txt")"
echo
echo "== Images of the four views (view 3: perspective, stereo)"
for n in 0 1 2 3; do
  if [ -f "$images/view$n.png" ]; then echo "$images/view$n.png"; else echo "view $n: no image"; fi
done
show_file() { if [ -f "$1" ]; then tr -d '\r' <"$1"; else echo "none"; fi; }
echo
printf '%s\n' '== C:\Nimbo\OcularisSettings\ocular\ocular.upf, written at unload'
show_file "$settings_upf"
echo
printf '%s\n' '== C:\ocular\ocularObx.upf, the host preferences (ocular\ one folder above the settings folder'"'"'s)'
show_file "$host_preferences"
