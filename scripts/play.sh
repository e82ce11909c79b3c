#!/usr/bin/env bash
# Sets everything up (packages, build, assets) and plays the piece from the repository root.
#
# With a display and a sound card the demo plays in its window until the window is closed. Without a
# sound card it plays through SDL's dummy audio driver. Without a display it plays under its own Xvfb,
# closes the window itself (a WM_DELETE_WINDOW request, as a desktop sends) once the piece is over, and
# leaves a still of the screen every 5 seconds in out/ (scripts/play_piece.sh, which the installed
# launcher shares).
#
# Environment: SKIP_BUILD=1 skips the install and build steps; BUILD_DIR (default build) is where
# the programs are; PLAY_SECONDS (default 76, the piece plus a second) is how long a run without a
# display lasts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BUILD_DIR:-build}"

if [ "${SKIP_BUILD:-0}" != "1" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)"
fi

# shellcheck source=scripts/play_piece.sh
source scripts/play_piece.sh
play_piece play "$build/demo" "$build/x_close"
