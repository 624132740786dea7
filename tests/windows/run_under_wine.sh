#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix named by WINEPREFIX (the
# build's throw-away one), with Wine's own chatter and installers turned off,
# on a virtual display when there is none.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix to run in}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec wine "$@"
