#!/usr/bin/env bash
# The web player's pages against the native program: builds the built-in piece's page, the cloister's and
# the night drive's (scripts/web.sh), a page whose piece does not check, demo_capture's stills at 640x360, and runs
# web/tests/web_pages.mjs over them in headless Chromium.
#
#   bash tests/web/web_pages.sh [BUILD_DIR]     (default build: the native build with demo_capture)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

BUILD_DIR="$(realpath --relative-to="$root" "$build")" bash "$root/scripts/web.sh" "$work/builtin" >/dev/null
for piece in cloister_mist night_drive; do
  BUILD_DIR="$(realpath --relative-to="$root" "$build")" bash "$root/scripts/web.sh" \
    --piece "$root/pieces/$piece.toml" "$work/$piece" >/dev/null
done

# A page whose piece does not check: the cloister's page with its packed piece damaged in place (same
# length), as a page made by another version of the engine could be.
cp -r "$work/cloister_mist" "$work/broken"
node -e '
  const fs = require("fs");
  const file = process.argv[1];
  const data = fs.readFileSync(file);
  const from = Buffer.from("\nlength = 36.5\n");
  const to = Buffer.from("\nlength = -1.5\n");
  const at = data.indexOf(from);
  if (at < 0) { console.error("web_pages.sh: no length line in the packed piece"); process.exit(1); }
  to.copy(data, at);
  fs.writeFileSync(file, data);
' "$work/broken/piece.data"

# demo_capture's stills, from a run folder of links to the repository's files.
mkdir -p "$work/run"
for f in config.ini shaders assets pieces; do ln -s "$root/$f" "$work/run/$f"; done
(cd "$work/run" && "$build/demo_capture" --at 5,20,30,45,60 --size 640x360 --out "$work/builtin_stills" >/dev/null 2>&1)
(cd "$work/run" && "$build/demo_capture" --piece pieces/cloister_mist.toml --at 30 --size 640x360 \
   --out "$work/cloister_mist_stills" >/dev/null 2>&1)
# A piece of acts: the title over the music texture, and the courtyard as a scene act under a post pass.
(cd "$work/run" && "$build/demo_capture" --piece pieces/night_drive.toml --at 5,30 --size 640x360 \
   --out "$work/night_drive_stills" >/dev/null 2>&1)

cd "$root/web"
node tests/web_pages.mjs "$work/broken" "cloister_mist.toml:15:10: length must be above 0 seconds" \
  "$work/builtin" "$work/builtin_stills" "$work/cloister_mist" "$work/cloister_mist_stills" \
  "$work/night_drive" "$work/night_drive_stills"
