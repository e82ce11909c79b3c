#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build, the address- and thread-sanitized builds and
# the fuzzers. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"

bash scripts/install-deps.sh

# Four configurations compile the same sources: ccache keeps what they compiled for the next run, in this
# clone or another (paths are taken relative to the clone's root, so a clone elsewhere finds them too).
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

# The web player: its pages built once (build-web) and checked in headless Chromium against
# demo_capture's stills, with the music playing on the audio clock.
if [ "${SKIP_WEB:-0}" != "1" ]; then
  bash tests/web/web_pages.sh build
fi

# Sanitized configurations. AddressSanitizer+UBSan with leak detection: every test but the picture
# test, the end-to-end runs of the sanitized build/demo included. The picture test (label 'picture')
# steps the whole piece through demo_capture, about four times slower in that build, and adds nothing
# for the sanitizers that tools_demo_capture does not already run. ThreadSanitizer: the tests labelled
# 'threads' (log thread, audio callback, SDL log forwarder, real runs of the program). Suppressions,
# third-party code only, are in tests/sanitizers/. intercept_tls_get_addr=0: this GCC's LeakSanitizer
# guesses the extent of each thread's dynamic TLS block from the 16 bytes before it, which today's glibc
# does not write; when a block of Mesa's happens to start 16 bytes into a page, the guessed range is
# garbage and the leak check at exit dies in its own tracer ("Tracer caught signal 11"). The blocks are
# found anyway: glibc allocates them with malloc and the thread's DTV points at them.
if [ "${SKIP_SANITIZERS:-0}" != "1" ]; then
  supp="$root/tests/sanitizers"
  cmake -S . -B build-address -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE=address -DENGINE_ASSETS=OFF \
    "${launcher[@]}" >/dev/null
  cmake --build build-address -j "$jobs"
  (cd build-address &&
     ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0" \
       ctest --output-on-failure -j "$jobs" --timeout 900 -LE picture)

  cmake -S . -B build-thread -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE=thread -DENGINE_ASSETS=OFF \
    "${launcher[@]}" >/dev/null
  targets=$(cd build-thread && ctest -N -L threads | sed -n 's/^ *Test *#[0-9]*: //p')
  # shellcheck disable=SC2086
  cmake --build build-thread -j "$jobs" --target demo $targets
  (cd build-thread &&
     TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$supp/tsan.supp" \
       ctest --output-on-failure -j "$jobs" -L threads --timeout 900)
fi

# Fuzz targets (clang, libFuzzer): a short fixed number of runs of each over its seed corpus. New inputs
# go to a scratch folder so the committed seeds stay as they are.
if [ "${SKIP_FUZZERS:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_FUZZERS=ON \
    -DENGINE_ASSETS=OFF "${launcher[@]}" >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzzers
  while read -r fuzzer corpus; do
    scratch="build-fuzz/corpus/$(basename "$fuzzer")"
    mkdir -p "$scratch"
    "$fuzzer" -runs="${FUZZ_RUNS:-20000}" -artifact_prefix=build-fuzz/ "$scratch" "$corpus" </dev/null
  done < build-fuzz/fuzzers.txt
fi

# Tests must leave the repository's assets alone: the generator is deterministic, so a fresh copy has to
# match assets/ byte for byte.
fresh="$(mktemp -d)"
trap 'rm -rf "$fresh"' EXIT
build/asset_gen "$fresh" >/dev/null
if ! diff -r -q "$fresh" assets; then
  echo "test.sh: a test changed assets/ (regenerate with: build/asset_gen assets)" >&2
  exit 1
fi
echo "test.sh: assets/ unchanged"

