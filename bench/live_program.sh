#!/usr/bin/env bash
# demo_capture and the live player under a private Xvfb with llvmpipe at the window size of config.ini
# (1280x720), leaving in OUT_DIR what bench/report.py reads:
#   capture_<T>_seconds.txt  wall time of each `demo_capture --at T` run (T = 73, and 0 as the anchor)
#   live_seek.txt            demo_live's records of its shown frames: started paused at 75 s, Left (74 s,
#                            a replay from 0) and Right (75 s, 60 steps on) pressed in turn
#   reload_saves.txt         wall-clock time of each save of shaders/cube.frag (seconds since the epoch)
#   reload_frames.txt        the return of every buffer swap of that paused run (nanoseconds since the epoch)
#   piece_saves.txt          wall-clock time of each save of a copy of pieces/courtyard.toml, played paused
#                            at 74 s with --piece (a camera key changed and back, renamed over the file)
#   piece_frames.txt         the return of every buffer swap of that run
#   piece_reloads.txt        demo_live's records of those reloads
# Usage: bench/live_program.sh BUILD_DIR OUT_DIR; LIVE_RUNS (default 5) sets the repetitions.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
runs="${LIVE_RUNS:-5}"
probe="$build/bench/libframe_probe.so"
for f in "$build/demo_capture" "$build/demo_live" "$probe" "$root/assets/toristin.obj"; do
  [ -e "$f" ] || { echo "live_program: missing $f" >&2; exit 1; }
done

# A scratch run folder: links to config.ini and assets/, and a copy of shaders/ that the reload run edits.
run="$(mktemp -d)"
xvfb_pid=""
live_pid=""
cleanup() {
  [ -n "$live_pid" ] && kill "$live_pid" 2>/dev/null && wait "$live_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT
ln -s "$root/config.ini" "$run/"
ln -s "$root/assets" "$run/assets"
cp -r "$root/shaders" "$run/shaders"
cp "$root/pieces/courtyard.toml" "$run/piece.toml"

source "$root/bench/private_xvfb.sh"
start_private_xvfb "$out/live_xvfb.log" || { echo "live_program: could not start Xvfb" >&2; exit 1; }
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe SDL_AUDIODRIVER=dummy

# until TEXT N: waits (at most a minute) until test.log holds TEXT N times.
until_logged() {
  local text="$1" n="$2"
  for _ in $(seq 600); do
    [ "$(grep -a -c -F "$text" "$run/test.log" 2>/dev/null || true)" -ge "$n" ] && return 0
    sleep 0.1
  done
  echo "live_program: '$text' did not appear $n times in test.log" >&2
  return 1
}

echo "live_program: demo_capture --at 73 and --at 0, $runs times each" >&2
rm -f "$out"/capture_*_seconds.txt
for _ in $(seq "$runs"); do
  for t in 0 73; do
    start=$EPOCHREALTIME
    (cd "$run" && "$build/demo_capture" --at "$t" --out "$run/stills" >/dev/null 2>&1)
    awk "BEGIN { print $EPOCHREALTIME - $start }" >>"$out/capture_${t}_seconds.txt"
  done
done

echo "live_program: demo_live seeking between 75 and 74 s, $runs times" >&2
(cd "$run" && exec "$build/demo_live" --start 75 --paused >/dev/null 2>"$out/live_seek_stderr.txt") &
live_pid=$!
until_logged "(75.00 s) shown" 1
window="$(xdotool search --name ' \| 75\.00 s \| paused' | head -n 1)"
for i in $(seq "$runs"); do
  xdotool windowfocus --sync "$window" key Left
  until_logged "(74.00 s) shown" "$i"
  xdotool windowfocus --sync "$window" key Right
  until_logged "(75.00 s) shown" $((i + 1))
done
kill -TERM "$live_pid"
wait "$live_pid"
live_pid=""
grep -a -F ") shown: " "$run/test.log" >"$out/live_seek.txt"

echo "live_program: demo_live rebuilding a saved shader, $runs times" >&2
rm -f "$out/reload_saves.txt" "$out/reload_frames.txt"
(cd "$run" && exec env LD_PRELOAD="$probe" FRAME_PROBE_OUT="$out/reload_frames.txt" "$build/demo_live" \
  --start 30 --paused >/dev/null 2>"$out/reload_stderr.txt") &
live_pid=$!
until_logged "(30.00 s) shown" 1
# Paused, the player draws only when something changed: each swap after a save is the rebuilt program's.
for i in $(seq "$runs"); do
  sleep 1
  { cat "$root/shaders/cube.frag"; echo "// save $i"; } >"$run/shaders/cube.frag.new"
  echo "$EPOCHREALTIME" >>"$out/reload_saves.txt"
  mv "$run/shaders/cube.frag.new" "$run/shaders/cube.frag"
  until_logged "Shaders reloaded" "$i"
done
sleep 1
kill -TERM "$live_pid"
wait "$live_pid"
live_pid=""

echo "live_program: demo_live reading a saved piece, $runs times" >&2
rm -f "$out/piece_saves.txt" "$out/piece_frames.txt"
(cd "$run" && exec env LD_PRELOAD="$probe" FRAME_PROBE_OUT="$out/piece_frames.txt" "$build/demo_live" \
  --piece piece.toml --start 74 --paused >/dev/null 2>"$out/piece_stderr.txt") &
live_pid=$!
until_logged "(74.00 s) shown" 1
# The last camera row's pan, changed and changed back: each save replays 4441 steps and draws once.
for i in $(seq "$runs"); do
  sleep 1
  if [ $((i % 2)) -eq 1 ]; then
    sed 's/pan = { from = 12.21, to = 13.12 }/pan = { from = 12.21, to = 13.0 }/' "$root/pieces/courtyard.toml"
  else
    cat "$root/pieces/courtyard.toml"
  fi >"$run/piece.toml.new"
  echo "$EPOCHREALTIME" >>"$out/piece_saves.txt"
  mv "$run/piece.toml.new" "$run/piece.toml"
  until_logged "Piece reloaded" "$i"
done
sleep 1
kill -TERM "$live_pid"
wait "$live_pid"
live_pid=""
grep -a -F "Piece reloaded" "$run/test.log" >"$out/piece_reloads.txt"
