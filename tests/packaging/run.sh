#!/usr/bin/env bash
# The packaging tests, both even when the first fails, on one virtual display:
#   run.sh PACKAGES_DIR WINDOW_PROBE_EXE WORK_DIR
set -uo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
samples=$here/../../samples
packages=$1 probe=$2 work=$3
status=0
# Each has a time limit, 15 minutes, far past a whole suite run: one that hangs
# under Wine fails instead of holding the suite.
limit() { timeout -k 10 900 "$@"; }
limit bash "$here/debian_test.sh" "$packages" "$samples" "$probe" "$work/debian" || status=1
limit bash "$here/windows_test.sh" "$packages" "$samples" "$probe" "$work/windows" || status=1
limit bash "$here/web_test.sh" "$packages" "$work/web" || status=1
exit $status
