#!/usr/bin/env bash
# The performance report in one command: builds with optimisation in its own folder, runs the
# benchmark suites (each figure beside its anchor in the same run) and the whole program under Xvfb,
# and prints one table, then the event detection's tables (bench/music_events.sh, and bench/music_heldout.sh on
# music it was not tuned on). Environment:
# BENCH_BUILD_DIR (default build-bench), BENCH_REPETITIONS (5), PIECE_SECONDS (76: the whole piece),
# EMPTY_SECONDS (10), FEEDBACK_RUNS (3). The piece is played twice: with config.ini as it
# is, then with a copy that sets render_scale = auto.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BENCH_BUILD_DIR:-build-bench}"
reps="${BENCH_REPETITIONS:-5}"

bash scripts/install-deps.sh >&2
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DENGINE_BENCHMARKS=ON -DENGINE_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target demo demo_capture demo_live assets bench_logging bench_obj \
  bench_frame bench_fullscreen_pass frame_probe empty_frame music_events music_synth music_events_timing >&2

out="$build/report"
rm -rf "$out"
mkdir -p "$out"

suite() {
  local name="$1"
  echo "report: running $name" >&2
  "$build/bench/$name" --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
    --benchmark_out="$out/$name.json" --benchmark_out_format=json >"$out/$name.txt" 2>&1
}
suite bench_logging
suite bench_obj
suite bench_frame
echo "report: one full-screen pass under Xvfb" >&2
(
  source bench/private_xvfb.sh
  start_private_xvfb "$out/pass_xvfb.log"
  trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
  suite bench_fullscreen_pass
)

echo "report: playing the piece under Xvfb (about $(( ${PIECE_SECONDS:-76} + 15 )) s)" >&2
bash bench/whole_program.sh "$build" "$out" "${PIECE_SECONDS:-76}" "${EMPTY_SECONDS:-10}"
echo "report: playing the piece again with render_scale = auto" >&2
sed '/^\[display\]/a render_scale = auto' config.ini >"$out/config_auto.ini"
CONFIG_FILE="$out/config_auto.ini" DEMO_NAME=demo_auto \
  bash bench/whole_program.sh "$build" "$out" "${PIECE_SECONDS:-76}" 0

echo "report: demo_capture and the live player under Xvfb (about two minutes)" >&2
bash bench/live_program.sh "$build" "$out"
echo "report: a still at 60 s of a piece with a feedback buffer, and without it (about two minutes)" >&2
bash bench/feedback_capture.sh "$build" "$out"

echo "report: event tracks found in synthetic music against aubioonset (about a minute)" >&2
bash bench/music_events.sh "$build" "$out" >/dev/null
echo "report: drum tracks on the held-out music (about two minutes)" >&2
bash bench/music_heldout.sh "$build" "$out" >/dev/null

python3 bench/report.py "$out"
echo
echo "## Event tracks found in the music"
echo
cat "$out/music_events.md"
echo
echo "## Drum tracks on music the detection was not tuned on"
echo
cat "$out/music_heldout.md"
