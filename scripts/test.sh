#!/usr/bin/env bash
# Sets everything up and runs every test: the normal build, then the sanitized builds of the
# thread-heavy and parsing parts. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="${JOBS:-$(nproc)}"

bash scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

# Sanitized configurations: the tests labelled 'sanitize' under AddressSanitizer+UBSan and ThreadSanitizer.
if [ "${SKIP_SANITIZERS:-0}" != "1" ]; then
  for sanitizer in address thread; do
    dir="build-$sanitizer"
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DENGINE_SANITIZE="$sanitizer" -DENGINE_ASSETS=OFF >/dev/null
    targets=$(cd "$dir" && ctest -N -L sanitize | sed -n 's/^ *Test *#[0-9]*: //p')
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" --target $targets
    (cd "$dir" && ASAN_OPTIONS=detect_leaks=1 TSAN_OPTIONS=halt_on_error=1 \
       ctest --output-on-failure -j "$jobs" -L sanitize --timeout 900)
  done
fi

# Fuzz targets (clang, libFuzzer): a short fixed number of runs of each over its seed corpus. New inputs
# go to a scratch folder so the committed seeds stay as they are.
if [ "${SKIP_FUZZERS:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENGINE_FUZZERS=ON \
    -DENGINE_ASSETS=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzzers
  while read -r fuzzer corpus; do
    scratch="build-fuzz/corpus/$(basename "$fuzzer")"
    mkdir -p "$scratch"
    "$fuzzer" -runs="${FUZZ_RUNS:-20000}" -artifact_prefix=build-fuzz/ "$scratch" "$corpus" </dev/null
  done < build-fuzz/fuzzers.txt
fi
