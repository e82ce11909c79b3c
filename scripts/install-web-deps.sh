#!/usr/bin/env bash
# Installs what the browser build and its tests need, apart from the play command's packages:
# Debian's emscripten and chromium, and web/'s npm packages (playwright-core, no browser download).
# Skips what is already there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  emscripten chromium
  libglm-dev libboost-dev libtomlplusplus-dev libsparsehash-dev libstb-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-web-deps: all packages present"
else
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "install-web-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# playwright-core drives the machine's chromium; it never downloads a browser of its own.
if [ ! -d "$root/web/node_modules/playwright-core" ]; then
  echo "install-web-deps: npm ci in web/"
  (cd "$root/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
echo "install-web-deps: done"
