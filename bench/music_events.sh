#!/usr/bin/env bash
# The event detection against known hits: writes the synthetic music (bench/music_synth.cpp), runs
# music_events (kick, snare, hat, onsets) and Debian's aubioonset (full band, its defaults) on each file,
# scores F1 (a detection within 25 ms of a true hit, one per hit) and prints a Markdown table, then times
# decoding and detecting the generated 80-second stereo music. Also written to OUT/music_events.md.
# Usage: bench/music_events.sh BUILD_DIR OUT_DIR (the build has music_events, bench/music_synth and
# bench/music_events_timing, and the generated assets/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"
out="$2"
set_dir="$out/music_set"
mkdir -p "$set_dir"
"$build/bench/music_synth" "$set_dir"
# The generated music's true hits: the built-in piece's kick and snare tracks below 75 s.
python3 - "$root/pieces/courtyard.toml" >"$set_dir/dat_bass.wav.labels.tsv" <<'PY'
import sys, tomllib
tracks = {t["name"]: t for t in tomllib.load(open(sys.argv[1], "rb"))["tracks"]}
for instrument in ("kick", "snare"):
    for t in (e[0] for e in tracks[instrument]["events"]):
        if t < 75:
            print(f"{instrument}\t{t}")
PY
cp "$root/assets/dat_bass.wav" "$set_dir/dat_bass.wav"

score() { python3 "$root/bench/music_events_score.py" "$@"; }
table="$out/music_events.md"
{
  echo "| file | format | kick | snare | hat | onsets | aubioonset |"
  echo "|---|---|---|---|---|---|---|"
  for labels in "$set_dir"/*.labels.tsv; do
    music="${labels%.labels.tsv}"
    name="$(basename "$music")"
    format="$(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 "$music" | head -1)"
    "$build/music_events" "$music" --track kick:kick --track snare:snare --track hat:hat --track onsets:onsets \
      --format tsv >"$out/$name.found.tsv"
    if [ "$name" = dat_bass.wav ]; then
      # Only the kicks and snares are known, below 75 s.
      awk -F'\t' '$2 < 75 && ($1 == "kick" || $1 == "snare")' "$out/$name.found.tsv" >"$out/$name.scored.tsv"
      scores="$(score "$labels" "$out/$name.scored.tsv")"
      aubio="-"
    else
      aubioonset -i "$music" >"$out/$name.aubioonset.txt" 2>/dev/null
      scores="$(score "$labels" "$out/$name.found.tsv" --aubio "$out/$name.aubioonset.txt")"
      aubio="$(awk -F'\t' '$1 == "aubioonset" {print $2}' <<<"$scores")"
    fi
    f1() { awk -F'\t' -v t="$1" '$1 == t {print $2 " (" $5 ")"}' <<<"$scores"; }
    onsets="$(f1 onsets)"
    [ "$name" = dat_bass.wav ] && onsets="-"
    hat="$(f1 hat)"
    echo "| $name | ${format//,/ } | $(f1 kick) | $(f1 snare) | ${hat:--} | $onsets | $aubio |"
  done
  echo
  echo "F1 per track (true hits in brackets); onsets and aubioonset are scored against every hit, hits closer than 25 ms counting once."
  echo
  "$build/bench/music_events_timing" "$root/assets/dat_bass.wav" 5 | awk -F'\t' '{print "- " $1 ": " $2}'
} | tee "$table"
