#!/usr/bin/env bash
# The web player's sizes and times: builds the built-in piece's page (scripts/web.sh), reports the
# folder's size and the player's compressed size (gzip -9, as a server would send it), then serves the
# folder on 127.0.0.1 and times it in headless Chromium (bench/web_page.mjs): load to first frame, and
# the frame time while playing at 1280x720 and 640x360. Environment: WEB_SECONDS (10) of play per size.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mktemp -d)"
trap 'kill "$server" 2>/dev/null || true; rm -rf "$out"' EXIT

bash "$root/scripts/web.sh" "$out/page" >/dev/null
size() { stat -c %s "$1"; }
gz() { gzip -9c "$1" | wc -c; }
player=0
player_gz=0
for f in web_player.wasm web_player.js player.js; do
  player=$((player + $(size "$out/page/$f")))
  player_gz=$((player_gz + $(gz "$out/page/$f")))
done
echo "folder: $(du -sb "$out/page" | cut -f1) bytes; player (wasm, js, page script): $player bytes, $player_gz gzip -9"
echo "packed piece (piece.data): $(size "$out/page/piece.data") bytes, $(gz "$out/page/piece.data") gzip -9"

port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/page" >/dev/null 2>&1 &
server=$!
sleep 1
for size in 1280x720 640x360; do
  echo "$size: $(node "$root/bench/web_page.mjs" "http://127.0.0.1:$port/index.html" "$size" "${WEB_SECONDS:-10}")"
done
