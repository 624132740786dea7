#!/usr/bin/env bash
# Builds the page (build/web/site) and serves it on http://127.0.0.1:8000/;
# with --build-only it only builds. Nothing is fetched at build time: the
# compiler is Debian's Emscripten, with no ports.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

# Debian's Emscripten runs its tools with Debian's node modules.
export NODE_PATH=/usr/share/nodejs
cmake --preset web >/dev/null
cmake --build build/web -j "$(nproc)"
site=build/web/site
[ "${1:-}" = "--build-only" ] && { echo "web: the page is in $site"; exit 0; }

port=${GLYPHORA_WEB_PORT:-8000}
echo "web: serving $site on http://127.0.0.1:$port/ (Ctrl+C stops)"
exec python3 tests/web/serve.py "$site" "$port"
