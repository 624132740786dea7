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
bash "$here/debian_test.sh" "$packages" "$samples" "$probe" "$work/debian" || status=1
bash "$here/windows_test.sh" "$packages" "$samples" "$probe" "$work/windows" || status=1
bash "$here/web_test.sh" "$packages" "$work/web" || status=1
exit $status
