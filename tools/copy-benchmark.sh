#!/bin/sh
# Compares setup.exe's copy throughput with a plain copy of the same tree, side by side in one run:
# 700 small files (4 to 60 KiB, in 20 folders) and 4 large ones (64 MiB each), all under Wine.
# Prints the seconds of each and the ratio, for a fresh installation and for one over the installed tree.
# The build folder is build/ or $NIMBO_BUILD_DIR.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NIMBO_BUILD_DIR:-$root/build}
NIMBO_BUILD_DIR=$build "$root/tools/build.sh" --target setup >/dev/null
run() { "$build/wine-run" "$@"; }
bench="$build/benchmark"
media="$bench/media"
out="$bench/out"
rm -rf "$bench"
mkdir -p "$media/small" "$media/large" "$out"

# The payload and its description.
inf="$media/setup.inf"
printf '[Application]\r\nAppName=Benchmark\r\nDefDir=C:\\Bench\r\nTarget=NONE\r\n[ExeDirs]\r\n' >"$inf"
for d in $(seq 1 20); do printf 'small\\d%02d\r\n' "$d" >>"$inf"; mkdir -p "$media/small/d$(printf %02d "$d")"; done
printf '[SetDirs]\r\nlarge\r\n[ExeFiles]\r\n' >>"$inf"
i=0
for d in $(seq 1 20); do
  folder=$(printf 'd%02d' "$d")
  for f in $(seq 1 35); do
    i=$((i + 1))
    head -c $(( (i * 7919 % 57 + 4) * 1024 )) /dev/urandom >"$media/small/$folder/f$f.bin"
    printf 'f%d, small\\%s\\f%d.bin, -\r\n' "$i" "$folder" "$f" >>"$inf"
  done
done
printf '[SetFiles]\r\n' >>"$inf"
for f in 1 2 3 4; do
  head -c $((64 * 1024 * 1024)) /dev/urandom >"$media/large/big$f.bin"
  printf 'big%d, large\\big%d.bin, -\r\n' "$f" "$f" >>"$inf"
done
printf '[End]\r\n' >>"$inf"
cp "$build/setup/setup.exe" "$media/"
total=$(du -sb "$media/small" "$media/large" | awk '{s += $1} END {print s}')
win() { printf 'Z:%s' "$1" | tr '/' '\\'; }

run cmd /c exit >/dev/null 2>&1 || true
seconds() { start=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s.%N); echo "$end - $start" | bc; }
best() { printf '%s\n%s\n' "$1" "${2:-$1}" | sort -n | head -n 1; }
install() { seconds run "$media/setup.exe" "$(win "$out/setup-exe")" "$(win "$out/setup-set")" 'C:\unused'; }
copy() {
  seconds run cmd /c xcopy /e /i /q /y "$(win "$media/small")" "$(win "$out/copy/small")" \
    "&&" xcopy /e /i /q /y "$(win "$media/large")" "$(win "$out/copy/large")"
}
best_setup=""
best_copy=""
best_setup_again=""
best_copy_again=""
for round in 1 2 3; do
  rm -rf "$out"/*
  best_setup=$(best "$(install)" "$best_setup")
  [ -f "$out/setup-set/large/big4.bin" ] || { echo "setup.exe did not install the payload" >&2; exit 1; }
  best_copy=$(best "$(copy)" "$best_copy")
  [ -f "$out/copy/large/big4.bin" ] || { echo "xcopy did not copy the payload" >&2; exit 1; }
  # Once more over what is there: setup.exe then replaces every file through a temporary file beside it.
  best_setup_again=$(best "$(install)" "$best_setup_again")
  best_copy_again=$(best "$(copy)" "$best_copy_again")
done
mb=$(echo "scale=1; $total / 1048576" | bc)
echo "payload: 700 small files and 4 large ones, $mb MiB"
printf "setup.exe (silent): %.2f s, " "$best_setup"; echo "$(echo "scale=1; $mb / $best_setup" | bc) MiB/s"
printf "xcopy of the same tree: %.2f s, " "$best_copy"; echo "$(echo "scale=1; $mb / $best_copy" | bc) MiB/s"
echo "ratio setup.exe / xcopy: $(echo "scale=2; $best_setup / $best_copy" | bc)"
printf "over the installed tree: setup.exe %.2f s, xcopy %.2f s, " "$best_setup_again" "$best_copy_again"
echo "ratio $(echo "scale=2; $best_setup_again / $best_copy_again" | bc)"
rm -rf "$bench"
