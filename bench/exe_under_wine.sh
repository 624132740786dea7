#!/usr/bin/env bash
# The real program under Wine, one start per file: the seconds from starting
# glyphora.exe with FILE on its command line to its first painted frame (the
# window shown, the file opened and composed, the message loop idle), and how
# much of its client area is lit (0 when nothing opened: the view is black).
#   bash bench/exe_under_wine.sh EXE PROBE FILE...
# EXE and PROBE are build/windows/glyphora.exe and window_probe.exe. Runs on a
# virtual display in its own prefix, build/windows/wineprefix-bench.
set -euo pipefail
exe=$1 probe=$2
shift 2
export WINEPREFIX=${WINEPREFIX:-$(realpath -m "$(dirname "$exe")/wineprefix-bench")} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$exe" "$probe" "$@"; fi
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Kolt\Glyphora' /f </dev/null >/dev/null 2>&1  # no About box
fi
wineserver -p60 </dev/null >/dev/null 2>&1 || true
for file in "$@"; do
  path=$(realpath "$file")
  start=$(date +%s.%N)
  wine "$exe" "Z:${path//\//\\}" </dev/null >/dev/null 2>&1 &
  viewer=$!
  found=$(wine "$probe" find 300 2>/dev/null) || { echo "$file: no window"; kill "$viewer"; continue; }
  # A message sent (not posted) returns only once the loop runs, after the
  # open and the first paint, however long they take.
  wine "$probe" send 0 0 >/dev/null 2>&1
  end=$(date +%s.%N)
  read -r x y width height < <(sed -n 's/^client=//p' <<<"$found" | tr -d '\r')
  shot() { import -window root -crop "${width}x${height}+${x}+${y}" +repage -format '%[fx:mean]' info:; }
  # The display may lag the last paint by a moment: a black view is looked at twice.
  lit=$(shot)
  if [ "$lit" = 0 ]; then sleep 1; lit=$(shot); fi
  wine "$probe" send 16 0 >/dev/null 2>&1 || true  # WM_CLOSE
  wait "$viewer" || true
  printf '%s (%s bytes): first frame after %.2f s; lit %.3f\n' "$file" "$(stat -c %s "$path")" \
    "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')" "$lit"
done
