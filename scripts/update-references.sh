#!/usr/bin/env bash
# Renders the reference stills of the picture test (tests/picture/references/) again with
# build/demo_capture, from the repository's config.ini, shaders/ and assets/. Run it only when a change
# of the picture is intended; it lists the stills that changed, so that old and new can be compared
# before the new ones are committed with the change.
#
# Environment: SKIP_BUILD=1 skips the build step; BUILD_DIR (default build) is where demo_capture is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BUILD_DIR:-build}"
# One time in each camera row and section of the piece, and the faded end. The test takes its times and
# size from these files' names and pixels.
times="4,14,22,30,45,56,60,73,80"
size="320x180"
references="tests/picture/references"

if [ "${SKIP_BUILD:-0}" != "1" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j "$(nproc)" --target demo_capture assets
fi

# A run folder like the test's, so that test.log is written outside the repository.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
ln -s "$root/shaders" "$scratch/shaders"
ln -s "$root/assets" "$scratch/assets"
cp config.ini "$scratch/config.ini"
echo "update-references: rendering $times s at $size (about half a minute)"
if ! (cd "$scratch" && "$root/$build/demo_capture" --at "$times" --size "$size" --out "$scratch/stills" \
        >"$scratch/capture.log" 2>&1); then
  tail -n 20 "$scratch/capture.log" >&2
  exit 1
fi

mkdir -p "$references"
changed=0
for file in "$references"/still_*.png; do
  [ -e "$file" ] || continue
  if [ ! -e "$scratch/stills/$(basename "$file")" ]; then
    echo "removed: $file"
    rm "$file"
    changed=1
  fi
done
for file in "$scratch"/stills/still_*.png; do
  target="$references/$(basename "$file")"
  if ! cmp -s "$file" "$target"; then
    [ -e "$target" ] && echo "changed: $target" || echo "new: $target"
    cp "$file" "$target"
    changed=1
  fi
done
[ "$changed" = 1 ] || echo "update-references: the stills are unchanged"
