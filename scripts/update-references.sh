#!/usr/bin/env bash
# Renders the reference stills of the picture test (tests/picture/references/) again with
# build/demo_capture, from the repository's config.ini, shaders/, assets/ and pieces/. Run it only when a change
# of the picture is intended; it lists the stills that changed, so that old and new can be compared
# before the new ones are committed with the change.
#
# Environment: SKIP_BUILD=1 skips the build step; BUILD_DIR (default build) is where demo_capture is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="${BUILD_DIR:-build}"
# For each piece: one time in each camera row and section, and the faded end. The test takes its times
# and size from these files' names and pixels. The built-in piece's stills lie in the references folder
# itself, each other piece's in a subfolder named after its file under pieces/.
size="320x180"
references="tests/picture/references"
builtin_times="4,14,22,30,45,56,60,73,80"
cloister_mist_times="1.5,9.5,15,23,28.5,35.5"
# night_drive: the title, the scan wipe, the drive, the iris, the courtyard under the groove's post pass,
# the sign again.
night_drive_times="4,8.75,20,25.9,30.4,41"

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
changed=0

# render NAME TIMES FOLDER [demo_capture arguments...]
render() {
  local name="$1" times="$2" folder="$3"
  shift 3
  local stills="$scratch/stills/$name"
  echo "update-references: rendering $name at $times s, $size (about half a minute)"
  if ! (cd "$scratch" && "$root/$build/demo_capture" --at "$times" --size "$size" --out "$stills" "$@" \
          >"$scratch/capture.log" 2>&1); then
    tail -n 20 "$scratch/capture.log" >&2
    exit 1
  fi
  mkdir -p "$folder"
  for file in "$folder"/still_*.png; do
    [ -e "$file" ] || continue
    if [ ! -e "$stills/$(basename "$file")" ]; then
      echo "removed: $file"
      rm "$file"
      changed=1
    fi
  done
  for file in "$stills"/still_*.png; do
    target="$folder/$(basename "$file")"
    if ! cmp -s "$file" "$target"; then
      [ -e "$target" ] && echo "changed: $target" || echo "new: $target"
      cp "$file" "$target"
      changed=1
    fi
  done
}

render courtyard "$builtin_times" "$references"
render cloister_mist "$cloister_mist_times" "$references/cloister_mist" --piece "$root/pieces/cloister_mist.toml"
render night_drive "$night_drive_times" "$references/night_drive" --piece "$root/pieces/night_drive.toml"
[ "$changed" = 1 ] || echo "update-references: the stills are unchanged"
