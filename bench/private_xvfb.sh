# Sourced by the whole-program scripts: start_private_xvfb LOG starts an Xvfb of its own on a free display
# (1280x1024x24, no TCP), so that nothing else draws on it and the software rasterizer is the one used;
# it exports DISPLAY and sets xvfb_pid for the caller's cleanup. Fails when no display could be started.
start_private_xvfb() {
  local log="$1" n
  xvfb_pid=""
  for n in $(seq 140 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; return 0; fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  done
  echo "could not start Xvfb" >&2
  return 1
}
