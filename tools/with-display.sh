#!/bin/sh
# Runs a command with DISPLAY set to a private Xvfb server that lives as long as the command.
# With NIMBO_WINE_RUN naming a build's wine-run wrapper, that build's Wine is kept running meanwhile.
set -eu
display=""
for n in $(seq 91 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display number" >&2; exit 1; }
Xvfb ":$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.1
done
export DISPLAY=":$display"

# Wine's own background processes (services, the desktop) start with the first Wine program and
# inherit its standard handles; when those are a pipe, whoever reads the pipe (test discovery)
# waits for them too. A keeper program started here with harmless handles holds them for the run.
keeper=""
if [ -n "${NIMBO_WINE_RUN:-}" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # cmd waits for input until this script closes the fifo's write end.
  "$NIMBO_WINE_RUN" cmd <"$fifo" >/dev/null 2>&1 &
  keeper=$!
  exec 8>"$fifo"
  rm -f "$fifo"
  "$NIMBO_WINE_RUN" cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
cleanup() {
  if [ -n "$keeper" ]; then
    exec 8>&-
    "$NIMBO_WINE_RUN" --stop >/dev/null 2>&1 || true
  fi
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
status=0
"$@" || status=$?
exit $status
