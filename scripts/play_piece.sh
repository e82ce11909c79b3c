# shellcheck shell=bash
# Plays the piece from the current folder (config.ini, shaders/, assets/): the one way shared by
# scripts/play.sh and the installed launcher. Sourced, not run, by a bash script under `set -euo pipefail`.
#
#   play_audio_fallback
#     Without a sound card (and no SDL_AUDIODRIVER chosen) SDL's dummy audio driver plays; the reason is
#     added to play_notes.
#   play_start_xvfb TAG FOLDER SIZE
#     Starts a private Xvfb (screen SIZE, e.g. 1280x1024x24) that writes its display number and log into
#     FOLDER, exports DISPLAY and sets play_xvfb_pid; exits 1 with its log when it does not start.
#   play_cleanup
#     The EXIT trap: closes the demo (play_demo_pid, window play_title, through play_x_close) before its
#     X server (play_xvfb_pid) goes, then removes play_scratch.
#   play_piece TAG DEMO X_CLOSE
#     With a display, DEMO replaces the shell. Without one it plays under a private Xvfb, closes the
#     window after PLAY_SECONDS (default 76: the piece plus a second) the way a desktop does, with a
#     WM_DELETE_WINDOW request (X_CLOSE), leaves a still of the screen every 5 seconds in out/ (with
#     ImageMagick's import) and ends with DEMO's exit status. Each fallback is said in one line that
#     starts with "TAG: ".

play_notes=()
play_scratch=""
play_xvfb_pid=""
play_demo_pid=""
play_x_close=""
play_title=""

# ALSA lists the cards it found; containers and servers without audio hardware have no list or an
# empty one.
play_has_sound_card() {
  [ -d /dev/snd ] && [ -r /proc/asound/cards ] && ! grep -q "no soundcards" /proc/asound/cards
}

play_audio_fallback() {
  if [ -z "${SDL_AUDIODRIVER:-}" ] && ! play_has_sound_card; then
    export SDL_AUDIODRIVER=dummy
    play_notes+=("no sound card, so SDL's dummy audio driver")
  fi
}

play_cleanup() {
  # The demo goes before its X server, closed as a desktop closes it so that it writes its shutdown
  # records. A Ctrl+C in the terminal may have reached it already: a second signal would end it at once,
  # so it gets five seconds before SIGTERM.
  if [ -n "$play_demo_pid" ]; then
    "$play_x_close" "$play_title" >/dev/null 2>&1 || true
    for _ in $(seq 50); do
      kill -0 "$play_demo_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -TERM "$play_demo_pid" 2>/dev/null || true
    wait "$play_demo_pid" 2>/dev/null || true
  fi
  [ -z "$play_xvfb_pid" ] || kill "$play_xvfb_pid" 2>/dev/null || true
  [ -z "$play_scratch" ] || rm -rf "$play_scratch"
}

play_start_xvfb() {
  local tag="$1" folder="$2" size="$3"
  # Xvfb picks a free display number and writes it to fd 3 once it accepts clients. -noreset: by default
  # the server resets when its last client leaves, and x_close's short connections while the demo starts
  # would make the demo's own connection fail now and then. In a session of its own: a Ctrl+C in the
  # terminal must not take the X server from under the demo.
  setsid Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$folder/display" \
    2>"$folder/xvfb.log" &
  play_xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$folder/display" ] && break
    sleep 0.1
  done
  if [ ! -s "$folder/display" ]; then
    echo "$tag: Xvfb did not start:" >&2
    cat "$folder/xvfb.log" >&2
    exit 1
  fi
  DISPLAY=":$(tr -d '\n' <"$folder/display")"
  export DISPLAY
}

play_piece() {
  local tag="$1" demo="$2"
  play_x_close="$3"
  local seconds="${PLAY_SECONDS:-76}"
  play_audio_fallback

  if [ -n "${DISPLAY:-}" ]; then
    [ ${#play_notes[@]} -eq 0 ] || echo "$tag: ${play_notes[*]}"
    exec "$demo"
  fi

  if ! command -v Xvfb >/dev/null; then
    echo "$tag: no display, and Xvfb is not installed (Debian package xvfb)" >&2
    exit 1
  fi
  local take_stills=1 stills_note="stills go to out/"
  if ! command -v import >/dev/null; then
    take_stills=0
    stills_note="no stills (ImageMagick's import is not installed)"
  fi
  echo "$tag: no display, so a private Xvfb${play_notes[*]:+; ${play_notes[*]}};" \
    "the window closes after ${seconds} s and ${stills_note}"

  play_scratch="$(mktemp -d)"
  trap play_cleanup EXIT
  # Ctrl+C or a kill of this script: leave through the clean-up, which stops the demo cleanly.
  trap 'exit 130' INT TERM
  play_start_xvfb "$tag" "$play_scratch" 1280x1024x24

  local status=0
  play_title="$(sed -n 's/^[[:space:]]*title[[:space:]]*=[[:space:]]*//p' config.ini | head -n 1 |
    sed 's/[[:space:]]*$//')"
  "$demo" &
  play_demo_pid=$!

  # Up to a minute for the window; a demo that stops first (a start-up failure) hands on its status.
  local geometry="" tries
  for ((tries = 0; tries < 120; tries++)); do
    kill -0 "$play_demo_pid" 2>/dev/null || break
    geometry="$("$play_x_close" --wait 0.5 --where "$play_title" 2>/dev/null)" && break
  done
  if [ -z "$geometry" ]; then
    if kill -0 "$play_demo_pid" 2>/dev/null; then
      echo "$tag: the demo's window '$play_title' never appeared" >&2
      kill "$play_demo_pid" 2>/dev/null || true
      wait "$play_demo_pid" || true
      status=1
    else
      wait "$play_demo_pid" || status=$?
    fi
    play_demo_pid=""
    exit "$status"
  fi

  local -a stills=()
  local start=$SECONDS at still
  [ "$take_stills" -eq 0 ] || mkdir -p out
  for ((at = 5; take_stills && at < seconds; at += 5)); do
    while ((SECONDS - start < at)); do
      kill -0 "$play_demo_pid" 2>/dev/null || break 2
      sleep 0.2
    done
    still="$(printf 'out/play_%03ds.png' "$at")"
    import -silent -window root -crop "$geometry" +repage "$still" && stills+=("$still")
  done
  while ((SECONDS - start < seconds)) && kill -0 "$play_demo_pid" 2>/dev/null; do sleep 0.2; done

  "$play_x_close" "$play_title" 2>/dev/null || true
  wait "$play_demo_pid" || status=$?
  play_demo_pid=""
  # The demo's last text has no line end.
  echo
  if [ "$take_stills" -eq 1 ]; then
    if [ ${#stills[@]} -gt 0 ]; then
      echo "$tag: ${#stills[@]} stills in $PWD/out/ (${stills[0]} to ${stills[-1]})"
    else
      echo "$tag: no stills"
    fi
  fi
  exit "$status"
}
