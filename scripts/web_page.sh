#!/usr/bin/env bash
# Writes a page of the web player to OUT_DIR from a built player: index.html, the player's .js and .wasm,
# and the piece with exactly the files it names packed beside them (emscripten's file packager), each at
# the path the player opens it by. scripts/web.sh builds the player and calls this; so does the installed
# `toristin --web`.
#
#   bash web_page.sh --player DIR --data DIR [--export PROGRAM --piece FILE] OUT_DIR
#
# --player: the folder of web_player.js, web_player.wasm and player.js. --data: the programs' working
# folder (config.ini, shaders/, assets/, pieces/), where the piece's paths are resolved. --export: the
# native piece_export, which lists the piece's files and writes its tracks found in the music as events
# (the browser has no analysis of its own). Without --piece, the built-in piece with config.ini, shaders/
# and assets/.
set -euo pipefail

usage() {
  echo "usage: web_page.sh --player DIR --data DIR [--export PROGRAM --piece FILE] OUT_DIR" >&2
  exit 2
}

player="" data="" export_program="" piece="" out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --player | --data | --export | --piece)
      [ $# -ge 2 ] || usage
      case "$1" in
        --player) player="$2" ;;
        --data) data="$2" ;;
        --export) export_program="$2" ;;
        --piece) piece="$2" ;;
      esac
      shift 2
      ;;
    -*) echo "web_page.sh: unknown option '$1'" >&2; usage ;;
    *)
      [ -z "$out" ] || usage
      out="$1"
      shift
      ;;
  esac
done
[ -n "$out" ] && [ -n "$player" ] && [ -n "$data" ] || usage
if [ -n "$piece" ] && [ -z "$export_program" ]; then usage; fi
if [ -n "$piece" ] && [ ! -f "$piece" ]; then
  echo "web_page.sh: no piece file '$piece'" >&2
  exit 1
fi
packager=/usr/share/emscripten/tools/file_packager.py
if [ ! -f "$packager" ]; then
  echo "web_page.sh: emscripten's file packager ($packager) is not installed" >&2
  exit 1
fi

data="$(cd "$data" && pwd)"
player="$(cd "$player" && pwd)"
[ -z "$export_program" ] || export_program="$(realpath -s "$export_program")"
mkdir -p "$out"
out="$(cd "$out" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The packager splits source@target at an '@'; one in a path is written '@@'.
escaped() { printf '%s' "${1//@/@@}"; }
# A file at the path the player opens it by: below the packed root for a relative path (the page's
# working folder is /), where it is for an absolute one.
packed() {
  case "$1" in
    /*) printf '%s@%s' "$(escaped "$1")" "$(escaped "$1")" ;;
    *) printf '%s@/%s' "$(escaped "$data/$1")" "$(escaped "$1")" ;;
  esac
}

pack=(--preload "$(packed config.ini)")
piece_argument=""
if [ -z "$piece" ]; then
  pack+=("$(packed shaders)" "$(packed assets)")
else
  # The piece by its path from the data folder (without following links, as the player names it), or
  # its absolute path when it lies outside.
  name="$(realpath -s --relative-to="$data" "$piece")"
  case "$name" in
    ../*) name="$(realpath -s "$piece")" ;;
  esac
  (cd "$data" && "$export_program" --files "$name") >"$work/files"
  (cd "$data" && "$export_program" --write "$work/piece.toml" "$name")
  while IFS= read -r file; do
    [ "$file" = config.ini ] || pack+=("$(packed "$file")")
  done <"$work/files"
  # The copy with its tracks as events, where the piece itself lies.
  case "$name" in
    /*) pack+=("$(escaped "$work/piece.toml")@$(escaped "$name")") ;;
    *) pack+=("$(escaped "$work/piece.toml")@/$(escaped "$name")") ;;
  esac
  piece_argument="$name"
fi
python3 "$packager" "$out/piece.data" "${pack[@]}" \
  --js-output="$out/piece.js" 2>&1 >/dev/null | { grep -v 'FORCE_FILESYSTEM' || true; } >&2

cp "$player/web_player.js" "$player/web_player.wasm" "$player/player.js" "$out/"

# The canvas keeps the window's aspect ratio from config.ini.
config_value() {
  sed -n "s/^$1[[:space:]]*=[[:space:]]*\([0-9][0-9]*\)[[:space:]]*$/\1/p" "$data/config.ini" | head -n 1
}
width="$(config_value screen_width)"
height="$(config_value screen_height)"
title="$(sed -n 's/^title[[:space:]]*=[[:space:]]*//p' "$data/config.ini" | head -n 1)"
html_escape() {
  sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' -e 's/"/\&quot;/g' <<<"$1"
}

cat >"$out/index.html" <<HTML
<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>$(html_escape "$title")</title>
<style>
  html, body { margin: 0; height: 100%; background: #000; color: #ccc; font: 16px sans-serif; overflow: hidden; }
  #stage { position: fixed; inset: 0; display: flex; align-items: center; justify-content: center; }
  #canvas { display: block; aspect-ratio: ${width} / ${height}; width: min(100vw, calc(100vh * ${width} / ${height})); height: auto; }
  #status { position: fixed; left: 0; right: 0; bottom: 1em; text-align: center; }
  #overlay { position: fixed; inset: 0; display: flex; align-items: center; justify-content: center;
             background: rgba(0, 0, 0, 0.6); font-size: 2em; cursor: pointer; }
  #error { position: fixed; left: 5%; right: 5%; top: 20%; padding: 1em; background: #300; color: #fdd;
           white-space: pre-wrap; font-family: monospace; }
  [hidden] { display: none !important; }
</style>
</head>
<body data-piece="$(html_escape "$piece_argument")">
<div id="stage"><canvas id="canvas" width="${width}" height="${height}" tabindex="-1"></canvas></div>
<div id="status">Loading...</div>
<div id="overlay" hidden>Click to start</div>
<div id="error" role="alert" hidden></div>
<script src="player.js"></script>
<script src="piece.js"></script>
<script src="web_player.js"></script>
</body>
</html>
HTML
echo "wrote $out (serve it with: python3 -m http.server -d $out)"
