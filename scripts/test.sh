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

# The page: built with Debian's Emscripten, then tested in headless Chromium
# against the native glyphora-shot and web_replay built above.
stage "web: build"
bash scripts/web.sh --build-only
stage "web: test"
# A test that hangs fails after ten minutes instead of holding the suite.
(cd tests/web && node --test --test-concurrency=1 --test-timeout=600000 exact.test.mjs page.test.mjs \
  screen.test.mjs menus.test.mjs input.test.mjs zip.test.mjs gallery.test.mjs)

# The Windows program: cross-compiled, then its tests and the end-to-end test
# under Wine on one virtual display (the end-to-end test compares with the
# native snapshot tool built above).
stage "windows: build"
cmake --preset windows >/dev/null
cmake --build build/windows -j "$jobs"
stage "windows: test"
# One at a time: the windows of concurrent tests on one display take each
# other's focus.
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build/windows --output-on-failure -j 1

# The packages as scripts/package.sh makes them, then installed, used and
# removed as a user would: the Debian package on this machine, the Windows
# ones under Wine in a throw-away prefix.
stage "packages: build"
bash scripts/package.sh
stage "packages: test"
bash tests/packaging/run.sh build/packages build/windows/window_probe.exe build/package-tests
