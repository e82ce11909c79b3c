#!/usr/bin/env bash
# Runs build/demo (the whole piece) and the empty-frame program under Xvfb with llvmpipe at 1280x720,
# each with the swap probe preloaded, and leaves in OUT_DIR what bench/report.py reads:
#   <name>_start.txt   wall-clock time just before the launch (seconds since the epoch)
#   <name>_frames.txt  the return of every buffer swap (nanoseconds since the epoch)
#   <name>_rss_kb.txt  peak resident memory from /usr/bin/time
# Usage: bench/whole_program.sh BUILD_DIR OUT_DIR [PIECE_SECONDS [EMPTY_SECONDS]]
# For what-if runs, ASSETS_DIR and SHADERS_DIR replace the repository's assets/ and shaders/, and
# CONFIG_FILE its config.ini (e.g. a copy with render_scale set). DEMO_NAME (default demo) names the demo's
# files in OUT_DIR; EMPTY_SECONDS of 0 leaves the empty-frame run out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
piece_seconds="${3:-76}"
empty_seconds="${4:-10}"
probe="$build/bench/libframe_probe.so"

config="${CONFIG_FILE:-$root/config.ini}"
demo_name="${DEMO_NAME:-demo}"

for f in "$build/demo" "$build/bench/empty_frame" "$probe" "${ASSETS_DIR:-$root/assets}/toristin.obj" "$config"; do
  [ -e "$f" ] || { echo "whole_program: missing $f" >&2; exit 1; }
done

# The program reads config.ini, shaders/ and assets/ relative to its working directory and writes
# test.log there: a scratch folder of links keeps the repository clean.
run="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT
ln -s "$(cd "$(dirname "$config")" && pwd)/$(basename "$config")" "$run/config.ini"
ln -s "$(cd "${SHADERS_DIR:-$root/shaders}" && pwd)" "$run/shaders"
ln -s "$(cd "${ASSETS_DIR:-$root/assets}" && pwd)" "$run/assets"

source "$root/bench/private_xvfb.sh"
start_private_xvfb "$out/xvfb.log" || { echo "whole_program: could not start Xvfb" >&2; exit 1; }
export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe SDL_AUDIODRIVER=dummy

if command -v glxinfo >/dev/null; then
  glxinfo -B 2>/dev/null | grep -E "OpenGL renderer|OpenGL core profile version|OpenGL version" >"$out/glxinfo.txt" || true
fi

# run NAME SECONDS PROGRAM: the probe closes the window SECONDS after the first frame.
run_one() {
  local name="$1" seconds="$2" program="$3"
  rm -f "$out/${name}_frames.txt"
  echo "$EPOCHREALTIME" >"$out/${name}_start.txt"
  # Only the program itself gets the probe: its exit writes the stamps file.
  (cd "$run" && /usr/bin/time -f "%M" -o "$out/${name}_rss_kb.txt" timeout $((${seconds%.*} + 60)) \
    env LD_PRELOAD="$probe" FRAME_PROBE_OUT="$out/${name}_frames.txt" FRAME_PROBE_SECONDS="$seconds" \
    "$program" >"$out/${name}_stdout.txt" 2>"$out/${name}_stderr.txt")
}

[ "$empty_seconds" = 0 ] || run_one empty "$empty_seconds" "$build/bench/empty_frame"
run_one "$demo_name" "$piece_seconds" "$build/demo"
