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
# Windows Wine draws and places itself: with no window manager on the virtual
# display, each change of a managed window waits for one that never answers.
# (Running it also starts Wine's services here, not in the first test.)
"$here/run_under_wine.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  </dev/null >>"$log" 2>&1
echo "wine prefix ready: $WINEPREFIX"
