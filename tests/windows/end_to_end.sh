#!/usr/bin/env bash
# End to end: glyphora.exe, started under Wine with a bundled sample, shows it
# pixel for pixel as the native snapshot tool composes the same file at the
# same view size: at start, after scrolling with the Down key, and after the
# system asks the window to repaint, and with its lines wrapped. The sample is started from a folder and
# file name with spaces, so its path reaches the program in double quotes.
#   end_to_end.sh GLYPHORA_EXE WINDOW_PROBE_EXE GLYPHORA_SHOT SAMPLES_DIR WORK_DIR
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
exe=$1 probe=$2 shot=$3 samples=$4 work=$5
here=$(cd "$(dirname "$0")" && pwd)
sample=$samples/glyphora.ans
wine_run() { "$here/run_under_wine.sh" "$@"; }
wm_close=16 wm_keydown=256 wm_command=273 vk_down=40 idm_view_wrap=40009
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$shot" ] || fail "no native snapshot tool at $shot (build the native preset first)"
[ -f "$sample" ] || fail "no sample at $sample"
command -v import >/dev/null && command -v compare >/dev/null || fail "ImageMagick is not installed"
rm -rf "$work" && mkdir -p "$work/art folder"
started="$work/art folder/glyphora sample.ans"
cp "$sample" "$started"

wine_run "$exe" "Z:${started//\//\\}" </dev/null >"$work/glyphora.log" 2>&1 &
viewer_pid=$!
finish() {
  wine_run "$probe" send $wm_close 0 >/dev/null 2>&1 || true
  for _ in $(seq 50); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$viewer_pid" 2>/dev/null || true
}
trap finish EXIT

found=$(wine_run "$probe" find 60) || fail "the window did not appear"
echo "$found"
title=$(sed -n 's/^title=//p' <<<"$found" | tr -d '\r')
read -r x y width height < <(sed -n 's/^client=//p' <<<"$found" | tr -d '\r')
[ "$title" = "Glyphora v0.1.9" ] || fail "title is '$title'"
cols=$((width / 8)) rows=$((height / 16))
[ "$cols" -gt 0 ] && [ "$rows" -gt 0 ] || fail "empty client area ${width}x${height}"
echo "view: ${cols}x${rows} cells"

# The frame's part of the client area, as the screen shows it.
capture() {
  sleep 0.5
  import -window root "$work/screen.png"
  convert "$work/screen.png" -crop "$((cols * 8))x$((rows * 16))+$x+$y" +repage "$1"
}
native() {  # OUT.png [--top ROW]
  local out=$1; shift
  local size=()
  [ "$cols" -eq 84 ] && [ "$rows" -eq 30 ] || size=(--size "${cols}x${rows}")
  "$shot" "${size[@]}" "$@" "$sample" "$out" || fail "glyphora-shot failed"
}
same() {  # WINDOW.png NATIVE.png WHAT
  local differing
  differing=$(compare -metric AE "$1" "$2" "$work/diff_$3.png" 2>&1) || true
  [ "$differing" = 0 ] || fail "$3: $differing pixels differ (see $work/diff_$3.png)"
  echo "$3: identical"
}

capture "$work/start_window.png"
native "$work/start_native.png"
same "$work/start_window.png" "$work/start_native.png" start

scroll=5
wine_run "$probe" send $wm_keydown $vk_down "$scroll"
capture "$work/scrolled_window.png"
native "$work/scrolled_native.png" --top "$scroll"
same "$work/scrolled_window.png" "$work/scrolled_native.png" scrolled

wine_run "$probe" repaint
capture "$work/repainted_window.png"
same "$work/repainted_window.png" "$work/scrolled_native.png" repainted
wine_run "$probe" send $wm_command $idm_view_wrap
capture "$work/wrapped_window.png"
native "$work/wrapped_native.png" --wrap
same "$work/wrapped_window.png" "$work/wrapped_native.png" wrapped
echo "end to end: passed"
