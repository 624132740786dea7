#!/usr/bin/env bash
# The whole test suite from a fresh clone: installs what it needs, builds every
# configuration and runs every test. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
stage() { printf '\n=== %s ===\n' "$*"; }

for preset in native asan fuzz; do
  stage "$preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" -j "$jobs"
  stage "$preset: test"
  ctest --test-dir "build/$preset" --output-on-failure -j "$jobs"
done
