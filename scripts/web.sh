#!/usr/bin/env bash
# Builds the web player (WebAssembly and WebGL 2, with Debian's emscripten; once, later calls reuse the
# build) and writes OUT_DIR: index.html, the player's .js and .wasm, and the piece with its files packed
# beside them. Any static file server plays the folder: python3 -m http.server -d OUT_DIR
#
#   bash scripts/web.sh [--piece FILE] OUT_DIR
#
# Without --piece, the built-in piece. Environment: WEB_BUILD_DIR (default build-web) is the browser
# build's folder, BUILD_DIR (default build) the native one that makes the assets.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

usage() {
  echo "usage: bash scripts/web.sh [--piece FILE] OUT_DIR" >&2
  exit 2
}

piece=""
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --piece)
      [ $# -ge 2 ] || usage
      piece="$2"
      shift 2
      ;;
    -h | --help) usage ;;
    -*) echo "web.sh: unknown option '$1'" >&2; usage ;;
    *)
      [ -z "$out" ] || usage
      out="$1"
      shift
      ;;
  esac
done
[ -n "$out" ] || usage
if [ -n "$piece" ] && [ ! -f "$piece" ]; then
  echo "web.sh: no piece file '$piece'" >&2
  exit 1
fi

bash "$root/scripts/install-web-deps.sh" >/dev/null

web_build="$root/${WEB_BUILD_DIR:-build-web}"
native_build="$root/${BUILD_DIR:-build}"
# Debian's emscripten runs on the machine's Node.js, which needs Debian's acorn from here.
export NODE_PATH=/usr/share/nodejs
if [ ! -f "$web_build/CMakeCache.txt" ]; then
  emcmake cmake -S "$root" -B "$web_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$web_build" -j2 --target web_player >/dev/null

# The generated assets come from the native asset generator.
if [ ! -d "$root/assets" ]; then
  cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_TESTS=OFF >/dev/null
  cmake --build "$native_build" -j2 --target assets >/dev/null
fi

mkdir -p "$out"
out="$(cd "$out" && pwd)"

# The packed files keep the paths the player reads them by: config.ini, shaders/ and assets/ from the
# repository's root, a piece's folder under piece/.
pack=(--preload "$root/config.ini@/config.ini" "$root/shaders@/shaders" "$root/assets@/assets")
piece_argument=""
if [ -n "$piece" ]; then
  piece_dir="$(cd "$(dirname "$piece")" && pwd)"
  pack+=("$piece_dir@/piece")
  piece_argument="/piece/$(basename "$piece")"
fi
python3 /usr/share/emscripten/tools/file_packager.py "$out/piece.data" "${pack[@]}" \
  --use-preload-plugins --js-output="$out/piece.js" 2>&1 >/dev/null | { grep -v 'FORCE_FILESYSTEM' || true; } >&2

cp "$web_build/web_player.js" "$web_build/web_player.wasm" "$root/web/player.js" "$out/"

# The canvas keeps the window's aspect ratio from config.ini.
config_value() {
  sed -n "s/^$1[[:space:]]*=[[:space:]]*\([0-9][0-9]*\)[[:space:]]*$/\1/p" "$root/config.ini" | head -n 1
}
width="$(config_value screen_width)"
height="$(config_value screen_height)"
title="$(sed -n 's/^title[[:space:]]*=[[:space:]]*//p' "$root/config.ini" | head -n 1)"
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
