#!/usr/bin/env bash
# What an exact feedback buffer costs a still: `demo_capture --at 60 --size 640x360` of
# bench/feedback_piece.toml (one buffer reading its own last frame, so the still replays the buffer over
# all 3600 frames since 0) and of the same act without the buffer, under a private Xvfb with llvmpipe,
# taking turns. Leaves in OUT_DIR what bench/report.py reads: the wall time of each whole run in
#   capture_feedback_60_seconds.txt     with the buffer
#   capture_unbuffered_60_seconds.txt   without it
# Usage: bench/feedback_capture.sh BUILD_DIR OUT_DIR; FEEDBACK_RUNS (default 3) sets the repetitions.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
runs="${FEEDBACK_RUNS:-3}"
[ -e "$build/demo_capture" ] || { echo "feedback_capture: missing $build/demo_capture" >&2; exit 1; }

# A scratch run folder of links (config.ini, assets/): the pieces' music path is relative to it, and
# demo_capture writes test.log there.
run="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT
ln -s "$root/config.ini" "$run/"
ln -s "$root/assets" "$run/assets"

source "$root/bench/private_xvfb.sh"
start_private_xvfb "$out/feedback_xvfb.log" || { echo "feedback_capture: could not start Xvfb" >&2; exit 1; }
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe SDL_AUDIODRIVER=dummy

echo "feedback_capture: demo_capture --at 60 at 640x360 with and without the buffer, $runs times each" >&2
rm -f "$out/capture_feedback_60_seconds.txt" "$out/capture_unbuffered_60_seconds.txt"
for _ in $(seq "$runs"); do
  for kind in feedback unbuffered; do
    piece="$root/bench/feedback_piece.toml"
    [ "$kind" = unbuffered ] && piece="$root/bench/feedback_piece_unbuffered.toml"
    start=$EPOCHREALTIME
    (cd "$run" && "$build/demo_capture" --piece "$piece" --at 60 --size 640x360 --out "$run/stills" >/dev/null 2>&1)
    awk "BEGIN { print $EPOCHREALTIME - $start }" >>"$out/capture_${kind}_60_seconds.txt"
  done
done
