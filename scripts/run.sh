#!/usr/bin/env bash
# Builds glyphora.exe and opens a piece of ANSI art in it under Wine.
#   bash scripts/run.sh [FILE]      (default: samples/glyphora.ans)
# With a display the window stays until it is closed. With none, it runs on a
# virtual display, saves a screenshot of the window as build/windows/screenshot.png,
# prints its path and ends the program. GLYPHORA_WINDOWS_BUILD names another
# build folder of the Windows program (the test suite's own).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=${GLYPHORA_WINDOWS_BUILD:-$root/build/windows}
if [ -z "${GLYPHORA_HEADLESS:-}" ]; then
  bash scripts/setup.sh
  cmake --preset windows >/dev/null
  cmake --build build/windows -j "$(nproc)" --target glyphora window_probe
fi

file=$(realpath "${1:-samples/glyphora.ans}")
[ -f "$file" ] || { echo "run: no such file: $file" >&2; exit 1; }
export WINEPREFIX="$build/wineprefix-run" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe="$build/glyphora.exe"
probe="$build/window_probe.exe"
wine_path="Z:${file//\//\\}"

if [ -n "${DISPLAY:-}" ] && [ -z "${GLYPHORA_HEADLESS:-}" ]; then
  exec wine "$exe" "$wine_path"
fi
if [ -z "${GLYPHORA_HEADLESS:-}" ]; then
  GLYPHORA_HEADLESS=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$file"
fi

# On the virtual display: no window manager, so Wine draws the window's frame.
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
fi
wine "$exe" "$wine_path" </dev/null >"$build/run.log" 2>&1 &
viewer_pid=$!
found=$(wine "$probe" find 60) || { echo "run: the window did not appear" >&2; kill "$viewer_pid"; exit 1; }
read -r x y width height < <(sed -n 's/^window=//p' <<<"$found" | tr -d '\r')
sleep 0.5
shot="$build/screenshot.png"
import -window root -crop "${width}x${height}+${x}+${y}" +repage "$shot"
wine "$probe" send 16 0 >/dev/null 2>&1 || true  # WM_CLOSE
wait "$viewer_pid" || true
wineserver -w
echo "$shot"
