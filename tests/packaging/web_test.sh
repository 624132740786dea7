#!/usr/bin/env bash
# The web page's zip as a web host meets it: one folder holding the page, its
# script, style and module, the sample, the About art, the icon and the
# licence, and nothing else; unpacked and served, it shows the sample exactly
# as glyphora-shot draws it (the page's first test, run on the unpacked copy).
#   web_test.sh PACKAGES_DIR WORK_DIR
set -uo pipefail
packages=$(realpath "$1") work=$2
suite=web
source "$(dirname "$0")/checks.sh"
require_tools unzip node chromium
version=0.1.9
zip=$packages/glyphora-$version-web.zip
[ -f "$zip" ] || give_up "no web zip"
rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")

top=glyphora-$version-web
check_eq "the zip holds the static folder and the licence" \
  "$top/ $top/LICENSE $top/about.ans $top/favicon.ico $top/gallery.js $top/glyphora.ans $top/glyphora.css $top/glyphora.js $top/glyphora.wasm $top/index.html $top/zip_reader.js" \
  "$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
unzip -q "$zip" -d "$work" || give_up "the zip does not unpack"
# Exactly one test runs, and passes.
first_frame() {
  local output
  output=$(GLYPHORA_WEB_SITE="$work/$top" node --test --test-name-pattern="the first frame" \
    "$(dirname "$0")/../web/page.test.mjs" 2>&1)
  grep -qx '# pass 1' <<<"$output" && grep -qx '# fail 0' <<<"$output" || { echo "$output"; return 1; }
}
check "the unpacked page shows the sample exactly" first_frame
finish
