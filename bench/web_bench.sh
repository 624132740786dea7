#!/usr/bin/env bash
# The web page's benchmark beside the native program's figures, from one run:
# builds the native preset's bench_web and the page, then bench/web_bench.mjs.
# With --steps it measures only the scroll step at the three sizes.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset native >/dev/null
cmake --build build/native -j "$(nproc)" --target bench_web web_replay glyphora-shot
bash scripts/web.sh --build-only >/dev/null
node bench/web_bench.mjs "$@"
