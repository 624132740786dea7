#!/usr/bin/env bash
# Creates a fresh Wine prefix for one test run and keeps its server up between
# the tests, so each test starts in a fraction of a second. Wine's background
# processes write to a log, not to the test's output, which CTest waits on.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix to create}"
here=$(dirname "$0")
log="$WINEPREFIX.log"
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
"$here/run_under_wine.sh" wineboot -i </dev/null >"$log" 2>&1
wineserver -w
wineserver -p30 </dev/null >>"$log" 2>&1
# The first program of a session starts Wine's services; let them start here.
"$here/run_under_wine.sh" cmd /c exit </dev/null >>"$log" 2>&1
echo "wine prefix ready: $WINEPREFIX"
