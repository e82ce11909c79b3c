#!/usr/bin/env bash
# Installs what the browser build and its tests need: the project's packages with Debian's emscripten and
# chromium (install-deps.sh --web), and web/'s npm packages (playwright-core, no browser download).
# Skips what is already there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian's packages, named with the rest in install-deps.sh.
bash "$root/scripts/install-deps.sh" --web | sed 's/^install-deps/install-web-deps/'

# playwright-core drives the machine's chromium; it never downloads a browser of its own.
if [ ! -d "$root/web/node_modules/playwright-core" ]; then
  echo "install-web-deps: npm ci in web/"
  (cd "$root/web" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi
echo "install-web-deps: done"
