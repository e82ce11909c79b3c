#!/usr/bin/env bash
# Soak run: plays the piece under a private Xvfb with SDL's dummy audio for SOAK_SECONDS (default 600,
# well past the 75-second piece and its 80-second music), then closes the window with a
# WM_DELETE_WINDOW request and expects a clean exit.
#
# While it plays it samples, from /proc, the resident memory (VmRSS) every 10 seconds and the CPU time of
# the main thread, which runs the frame loop and nothing else, every second; a second in which the main
# thread got no CPU time is a stall. It also checksums an xwd grab of the window every second to count
# how often the picture changed. Nothing here changes what the program prints or writes.
#
# Pass: after the first minute every RSS sample stays within 5 % of the one at 60 s, no stall, exit 0.
# Figures go to out/soak/ (rss.tsv, progress.tsv, summary.txt, the run's stderr and test.log).
#
# Not part of scripts/test.sh. Environment: BUILD_DIR (default build) holds demo and x_close;
# SOAK_SECONDS; RSS_TOLERANCE_PERCENT (default 5).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/${BUILD_DIR:-build}"
seconds="${SOAK_SECONDS:-600}"
tolerance="${RSS_TOLERANCE_PERCENT:-5}"
out="$root/out/soak"

for program in demo x_close; do
  [ -x "$build/$program" ] || { echo "soak: $build/$program is missing; build first (scripts/test.sh or play.sh)"; exit 2; }
done
[ -d assets ] || { echo "soak: assets/ is missing; build the assets target first"; exit 2; }

rm -rf "$out"
mkdir -p "$out"
# The clean-up (the demo closed before its X server goes) and the private Xvfb are play.sh's.
# shellcheck source=scripts/play_piece.sh
source "$root/scripts/play_piece.sh"
play_scratch="$(mktemp -d)"
run="$play_scratch"
play_x_close="$build/x_close"
trap play_cleanup EXIT
# Ctrl+C or a kill of this script: leave through the clean-up, which stops the demo cleanly.
trap 'exit 130' INT TERM

# The run folder links to the production's files, so the soak writes its test.log there, not here.
ln -s "$root/config.ini" "$root/shaders" "$root/assets" "$run/"
title="$(sed -n 's/^[[:space:]]*title[[:space:]]*=[[:space:]]*//p' config.ini | head -n 1 | sed 's/[[:space:]]*$//')"
play_title="$title"
play_start_xvfb soak "$run" 1920x1200x24

(cd "$run" && SDL_AUDIODRIVER=dummy exec "$build/demo" >"$out/stdout.txt" 2>"$out/stderr.txt") &
demo_pid=$!
play_demo_pid=$demo_pid
"$build/x_close" --wait 60 --where "$title" >/dev/null || { echo "soak: no window titled '$title'"; exit 1; }

# utime + stime of the main thread, in clock ticks.
main_thread_ticks() { awk '{ print $14 + $15 }' "/proc/$demo_pid/task/$demo_pid/stat" 2>/dev/null || echo -1; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$demo_pid/status" 2>/dev/null || echo -1; }
picture_sum() {
  local id
  id="$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)"
  [ -n "$id" ] && xwd -silent -id "$id" 2>/dev/null | cksum | cut -d' ' -f1 || echo none
}

printf 'second\trss_kib\n' >"$out/rss.tsv"
printf 'second\tmain_thread_ticks\tpicture\n' >"$out/progress.tsv"
start=$(date +%s.%N)
stalls=0
changes=0
previous_ticks=""
previous_picture=""
for ((second = 1; second <= seconds; second++)); do
  # Sleep to the next whole second since the start, so the samples do not drift.
  now=$(date +%s.%N)
  sleep "$(awk -v s="$start" -v n="$now" -v k="$second" 'BEGIN { d = s + k - n; print (d > 0 ? d : 0) }')"
  if ! kill -0 "$demo_pid" 2>/dev/null; then
    echo "soak: the program ended on its own after ${second} s"
    break
  fi
  ticks=$(main_thread_ticks)
  picture=$(picture_sum)
  printf '%d\t%s\t%s\n' "$second" "$ticks" "$picture" >>"$out/progress.tsv"
  if [ -n "$previous_ticks" ] && [ "$ticks" -le "$previous_ticks" ]; then
    stalls=$((stalls + 1))
    echo "soak: the frame loop got no CPU time in second $second"
  fi
  [ -z "$previous_picture" ] || [ "$picture" = "$previous_picture" ] || changes=$((changes + 1))
  previous_ticks=$ticks
  previous_picture=$picture
  if ((second % 10 == 0)); then
    printf '%d\t%s\n' "$second" "$(rss_kib)" >>"$out/rss.tsv"
  fi
done

status="still running"
if kill -0 "$demo_pid" 2>/dev/null; then
  "$build/x_close" "$title" || echo "soak: could not ask the window to close"
  for _ in $(seq 300); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
  done
fi
if ! kill -0 "$demo_pid" 2>/dev/null; then
  set +e
  wait "$demo_pid"
  status=$?
  set -e
fi
demo_pid=""
play_demo_pid=""
cp "$run/test.log" "$out/test.log" 2>/dev/null || true

# RSS after the first minute against the sample at 60 s.
rss_verdict=$(awk -F'\t' -v tol="$tolerance" '
  NR > 1 && $1 == 60 { base = $2 }
  NR > 1 && $1 >= 60 { if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2; last = $2 }
  END {
    if (base == "") { print "no sample at 60 s"; exit }
    low = 100 * (min - base) / base; high = 100 * (max - base) / base
    ok = (low >= -tol && high <= tol) ? "pass" : "FAIL"
    printf "%s: at 60 s %d KiB, after it %d to %d KiB (%+.2f %% to %+.2f %%), at the end %d KiB", ok, base, min, max, low, high, last
  }' "$out/rss.tsv")
errors=$(grep -c '   ERROR: ' "$out/stderr.txt" || true)

{
  echo "soak: ${seconds} s of '$title' under Xvfb with dummy audio"
  echo "rss: $rss_verdict"
  echo "frame loop: $stalls seconds without main-thread CPU time; the picture changed in $changes of the sampled seconds"
  echo "log: $(wc -c <"$out/test.log" 2>/dev/null || echo 0) bytes of test.log, $errors error records on stderr"
  echo "exit: $status"
} | tee "$out/summary.txt"

[[ "$rss_verdict" == pass* ]] && [ "$stalls" -eq 0 ] && [ "$status" = "0" ]
