#!/usr/bin/env bash
# Builds the web player (WebAssembly and WebGL 2, with Debian's emscripten; once, later calls reuse the
# build) and writes OUT_DIR: index.html, the player's .js and .wasm, and the piece with its files packed
# beside them (scripts/web_page.sh). Any static file server plays the folder: python3 -m http.server -d OUT_DIR
#
#   bash scripts/web.sh [--piece FILE] OUT_DIR
#
# Without --piece, the built-in piece. With it, the native piece_export lists exactly the files the piece
# names and finds its tracks in the music, which the browser cannot: the page packs those files and the
# piece with the tracks written as events. Environment: WEB_BUILD_DIR (default build-web) is the browser
# build's folder, BUILD_DIR (default build) the native one that makes the assets and piece_export.
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

# The generated assets and piece_export come from the native build, configured here only when it is not
# yet (an existing build keeps its options).
native_targets=()
[ -d "$root/assets" ] || native_targets+=(assets)
[ -z "$piece" ] || native_targets+=(piece_export)
if [ ${#native_targets[@]} -gt 0 ]; then
  if [ ! -f "$native_build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_TESTS=OFF >/dev/null
  fi
  cmake --build "$native_build" -j2 --target "${native_targets[@]}" >/dev/null
fi

# The repository's root is the programs' working folder: the piece's paths are resolved from there.
page=(--player "$web_build" --data "$root")
[ -z "$piece" ] || page+=(--export "$native_build/piece_export" --piece "$piece")
cp "$root/web/player.js" "$web_build/player.js"
exec bash "$root/scripts/web_page.sh" "${page[@]}" "$out"
