#!/usr/bin/env bash
# Renders the hicolor theme's icons from the program's own icon art
# (resources/*.ico, drawn by tools/glyphora_assets) with ImageMagick:
#   bash packaging/icons/render_icons.sh [OUT_DIR]   (default: packaging/icons)
# The art is 32x32 pixels. Whole multiples of it keep every pixel square and
# sharp; other sizes are the art enlarged three times, then each block of
# pixels averaged into one. Sizes up to 24 use the small icon's plain tile,
# made for them. Run it after the icons change and commit the PNGs.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/packaging/icons}
res=$root/resources
sizes=(16 24 32 48 64 128 256)

render() {  # SOURCE SIZE OUT.png
  local source=$1 size=$2 steps
  if [ $((size % 32)) -eq 0 ]; then
    steps=(-filter point -resize "${size}x${size}")
  else
    steps=(-filter point -resize 96x96 -filter box -resize "${size}x${size}")
  fi
  mkdir -p "$(dirname "$3")"
  # No time stamps or other metadata, so the same art gives the same bytes.
  convert "$source" "${steps[@]}" -strip -define png:exclude-chunks=date,time "PNG32:$3"
}

for size in "${sizes[@]}"; do
  dir=$out/hicolor/${size}x${size}
  app="$res/app.ico[1]"
  [ "$size" -le 24 ] && app="$res/app_small.ico[0]"
  render "$app" "$size" "$dir/apps/glyphora.png"
  render "$res/document.ico[0]" "$size" "$dir/mimetypes/text-x-ansi-art.png"
done
