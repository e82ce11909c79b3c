#!/usr/bin/env bash
# Installs every Debian package the project needs; skips what is already there. With --web, also the web
# build's (emscripten and the headless chromium of its tests; scripts/install-web-deps.sh asks for them).
set -euo pipefail

packages=(
  build-essential cmake pkg-config git ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libglfw3-dev libsdl2-dev libsndfile1-dev libpng-dev libjpeg62-turbo-dev zlib1g-dev libstb-dev
  libboost-dev libsparsehash-dev libglm-dev
  libgl1-mesa-dri libgl-dev libx11-dev
  xvfb xauth xdotool x11-utils x11-apps imagemagick
  ffmpeg lintian
  libspdlog-dev libtinyobjloader-dev mesa-utils time linux-perf valgrind
  libaubio-dev aubio-tools libtomlplusplus-dev
)
if [ "${1:-}" = "--web" ]; then
  packages+=(emscripten chromium)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
