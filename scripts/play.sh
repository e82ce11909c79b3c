#!/usr/bin/env bash
# Sets everything up (packages, build, assets) and plays the piece from the repository root.
#
# With a display and a sound card the demo plays in its window until the window is closed. Without a
# sound card it plays through SDL's dummy audio driver. Without a display it plays under its own Xvfb,
# closes the window itself (a WM_DELETE_WINDOW request, as a desktop sends) once the piece is over, and
# leaves a still of the screen every 5 seconds in out/.
#
# Environment: SKIP_BUILD=1 skips the install and build steps; BUILD_DIR (default build) is where
# the programs are; PLAY_SECONDS (default 76, the piece plus a second) is how long a run without a
# display lasts.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BUILD_DIR:-build}"
seconds="${PLAY_SECONDS:-76}"

if [ "${SKIP_BUILD:-0}" != "1" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)"
fi

# ALSA lists the cards it found; containers and servers without audio hardware have no list or an
# empty one.
has_sound_card() {
  [ -d /dev/snd ] && [ -r /proc/asound/cards ] && ! grep -q "no soundcards" /proc/asound/cards
}

notes=()
if [ -z "${SDL_AUDIODRIVER:-}" ] && ! has_sound_card; then
  export SDL_AUDIODRIVER=dummy
  notes+=("no sound card, so SDL's dummy audio driver")
fi

if [ -n "${DISPLAY:-}" ]; then
  [ ${#notes[@]} -eq 0 ] || echo "play: ${notes[*]}"
  exec "$build/demo"
fi

echo "play: no display, so a private Xvfb${notes[*]:+; ${notes[*]}}; the window closes after ${seconds} s and stills go to out/"

scratch="$(mktemp -d)"
xvfb_pid=""
demo_pid=""
cleanup() {
  # The demo goes before its X server, closed as a desktop closes it so that it writes its shutdown
  # records. A Ctrl+C in the terminal may have reached it already: a second signal would end it at once,
  # so it gets five seconds before SIGTERM.
  if [ -n "$demo_pid" ]; then
    "$build/x_close" "$title" >/dev/null 2>&1 || true
    for _ in $(seq 50); do
      kill -0 "$demo_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -TERM "$demo_pid" 2>/dev/null || true
    wait "$demo_pid" 2>/dev/null || true
  fi
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
# Ctrl+C or a kill of this script: leave through cleanup, which stops the demo cleanly.
trap 'exit 130' INT TERM

# Xvfb picks a free display number and writes it to fd 3 once it accepts clients.
# In a session of its own: a Ctrl+C in the terminal must not take the X server from under the demo.
setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/display" ] && break
  sleep 0.1
done
if [ ! -s "$scratch/display" ]; then
  echo "play: Xvfb did not start:" >&2
  cat "$scratch/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '\n' <"$scratch/display")"

title="$(sed -n 's/^[[:space:]]*title[[:space:]]*=[[:space:]]*//p' config.ini | head -n 1)"
"$build/demo" &
demo_pid=$!
if ! geometry="$("$build/x_close" --wait 60 --where "$title")"; then
  wait "$demo_pid" || true
  demo_pid=""
  echo "play: the demo's window '$title' never appeared" >&2
  exit 1
fi

mkdir -p out
stills=()
start=$SECONDS
for ((at = 5; at < seconds; at += 5)); do
  while ((SECONDS - start < at)); do
    kill -0 "$demo_pid" 2>/dev/null || break 2
    sleep 0.2
  done
  still="$(printf 'out/play_%03ds.png' "$at")"
  import -silent -window root -crop "$geometry" +repage "$still" && stills+=("$still")
done
while ((SECONDS - start < seconds)) && kill -0 "$demo_pid" 2>/dev/null; do sleep 0.2; done

"$build/x_close" "$title" || true
status=0
wait "$demo_pid" || status=$?
demo_pid=""
# The demo's last text has no line end.
echo
if [ ${#stills[@]} -gt 0 ]; then
  echo "play: ${#stills[@]} stills in $root/out/ (${stills[0]} to ${stills[-1]})"
else
  echo "play: no stills"
fi
exit "$status"
