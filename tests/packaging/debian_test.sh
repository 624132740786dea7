#!/usr/bin/env bash
# The Debian package as a user meets it: lintian and the desktop's validators
# accept it; installed with dpkg -i, glyphora-shot and the thumbnailer's
# command draw art, the file types name .ans and art .asc files as art and PGP
# .asc files as PGP, and the glyphora launcher opens a file under Wine in the
# user's own prefix; purged, it leaves nothing behind.
#   debian_test.sh PACKAGES_DIR SAMPLES_DIR WINDOW_PROBE_EXE WORK_DIR
# Installs the package as root (or through sudo); runs on a display (the launcher's window).
set -uo pipefail
packages=$(realpath "$1") samples=$(realpath "$2") probe=$(realpath "$3") work=$4
suite=debian
source "$(dirname "$0")/checks.sh"
require_tools dpkg unzip lintian desktop-file-validate appstreamcli xdg-mime mimetype gio wine \
  wineboot identify compare import
[ -n "${DISPLAY:-}" ] || give_up "no display: run it under xvfb-run"
deb=$packages/glyphora_0.1.9_amd64.deb zip=$packages/glyphora-0.1.9-win32.zip
[ -f "$deb" ] && [ -f "$zip" ] && [ -f "$probe" ] || give_up "no package at $deb, no zip beside it or no window probe at $probe"
rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# From a system without the package, and back to one whatever happens.
as_root dpkg --purge glyphora >/dev/null 2>&1
trap 'as_root dpkg --purge glyphora >/dev/null 2>&1' EXIT

# ---- The package as built ----------------------------------------------------
lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges' >"$work/lintian.txt"
check_eq "lintian reports nothing: no error, no warning" "" "$(cat "$work/lintian.txt")"
check_eq "control: glyphora 0.1.9 for amd64" "glyphora 0.1.9 amd64" \
  "$(dpkg-deb --showformat='${Package} ${Version} ${Architecture}' -W "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in wine wine32 libpng16-16; do
  check "depends on $needed" grep -Eq "(^|, )$needed( |,|$)" <<<"$depends"
done

# The committed icons are what their script makes of the program's icon art now.
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../../packaging/icons/render_icons.sh" "$work/icons" >/dev/null 2>&1
stale=$(cd "$here/../../packaging/icons" && find hicolor -name '*.png' | sort | while read -r png; do
  [ "$(compare -metric AE "$png" "$work/icons/$png" null: 2>&1)" = 0 ] || echo "$png"
done)
check_eq "the icons are rendered from the current icon art" "" "$stale"
check_eq "and there are as many as the script makes" "$(cd "$work/icons" && find hicolor -name '*.png' | wc -l)" \
  "$(cd "$here/../../packaging/icons" && find hicolor -name '*.png' | wc -l)"

# ---- The art and PGP files the file types must tell apart --------------------
files=$work/files
mkdir -p "$files"
source "$(dirname "$0")/file_types.sh"
write_type_samples "$samples" "$files"
types=("${type_rows[@]}")
desktops=("${type_desktops[@]}")
declare -A type_before
for desktop in "${desktops[@]}"; do
  for row in "${types[@]}"; do
    read -r file _ <<<"$row"
    type_before[$desktop/$file]=$(query_type "$desktop" "$files/$file")
  done
done
# Without the package nothing knows the type: the checks below can fail.
check "before the install no desktop calls an .ans file art" \
  test "${type_before[generic/art.ans]}" != text/x-ansi-art -a "${type_before[GNOME/art.ans]}" != text/x-ansi-art

# ---- Installed ---------------------------------------------------------------
snapshot() { find /usr /etc /var/lib/dpkg/info -xdev 2>/dev/null | sort; }
snapshot >"$work/before.txt"
as_root dpkg -i "$deb" >"$work/dpkg-install.txt" 2>&1 || give_up "dpkg -i failed: $(tail -3 "$work/dpkg-install.txt")"
ok "dpkg -i installs the package"
check_eq "dpkg counts it installed" "install ok installed" "$(dpkg-query -W -f='${Status}' glyphora)"
listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print substr($6, 2) }')
missing=$(while read -r path; do [ -e "$path" ] || echo "$path"; done <<<"$listed")
check_eq "every file of the package is in place" "" "$missing"

check "desktop-file-validate accepts the desktop entry" \
  desktop-file-validate /usr/share/applications/glyphora.desktop
check "appstreamcli accepts the AppStream data" \
  appstreamcli validate --no-net /usr/share/metainfo/example.kolt.glyphora.metainfo.xml
check "the manual pages are found" man -w glyphora glyphora-shot
icon_sizes=$(find /usr/share/icons/hicolor -path '*/apps/glyphora.png' | sort -V | sed 's|.*/\([0-9]*\)x.*|\1|' | tr '\n' ' ')
check_eq "the icon in the usual sizes" "16 24 32 48 64 128 256 " "$icon_sizes"
check "/usr/lib/glyphora/glyphora.exe is the program of the Windows packages" \
  cmp <(unzip -p "$zip" glyphora-0.1.9-win32/glyphora.exe) /usr/lib/glyphora/glyphora.exe

# glyphora-shot from its installed path: the window's picture, 84 x 30 cells.
/usr/bin/glyphora-shot "$files/art.ans" "$work/shot.png" >/dev/null 2>&1
check_eq "glyphora-shot draws the sample as the window shows it" "PNG 672x480" \
  "$(identify -format '%m %wx%h' "$work/shot.png" 2>&1)"

# The thumbnailer's own command line, with its placeholders filled in as a
# file manager fills them (%s size, %i input path, %o output path).
entry=/usr/share/thumbnailers/glyphora.thumbnailer
check "the thumbnailer serves the art type" grep -qx 'MimeType=text/x-ansi-art;' "$entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
for size in 128 256; do
  out="$work/thumbnail $size.png"
  command_line=${exec_line//%s/$size}
  read -r -a argv <<<"$command_line"
  argv=("${argv[@]/#%i/$files/art.ans}")
  argv=("${argv[@]/#%o/$out}")
  "${argv[@]}" >/dev/null 2>&1
  # The sample is 80 columns wide: 640 pixels scaled down to the size asked for.
  check_eq "the thumbnailer's command makes a $size-pixel thumbnail" "PNG $size" \
    "$(identify -format '%m %w' "$out" 2>&1)"
done

for desktop in "${desktops[@]}"; do
  for row in "${types[@]}"; do
    read -r file expected <<<"$row"
    check_eq "xdg-mime ($desktop desktop) names $file" "$expected" "$(query_type "$desktop" "$files/$file")"
  done
done
check_eq "art opens with Glyphora" "glyphora.desktop" "$(xdg-mime query default text/x-ansi-art)"

# ---- The launcher --------------------------------------------------------------
# Wine missing: a PATH with the shell's tools but no wine.
nowine=$work/no-wine-bin
mkdir -p "$nowine"
ln -s "$(command -v sh)" "$nowine/sh"
message=$(PATH=$nowine /usr/bin/glyphora "$files/art.ans" 2>&1)
check_eq "without Wine the launcher exits 1" 1 $?
check "and says Wine is missing" grep -q 'Wine is not installed' <<<"$message"
message=$(/usr/bin/glyphora "$files/no such file.ans" 2>&1)
check_eq "a missing file: exit 1" 1 $?
check "and a message naming it" grep -q "no such file: $files/no such file.ans" <<<"$message"
/usr/bin/glyphora a b >/dev/null 2>&1
check_eq "two files: usage, exit 2" 2 $?
check_eq "--version names the program and the package's version" "glyphora 0.1.9" "$(/usr/bin/glyphora --version)"

# A real start in the user's own prefix (~/.wine of a new home), with a file
# whose folder has a space and whose name has a line end, a Windows path
# after it, a backslash and a letter outside ASCII: the window shows that file.
home=$work/home
odd_name=$'glyphora sample\nZ:\\etc\\passwd \xc3\xbc\\x.ans'
mkdir -p "$home" "$work/art folder"
cp "$files/art.ans" "$work/art folder/$odd_name"
as_user() { env -u WINEPREFIX HOME="$home" "$@"; }
as_user bash -c "$(declare -f new_wine_prefix); WINEPREFIX=\$HOME/.wine new_wine_prefix" \
  || give_up "could not make the Wine prefix in $home/.wine"
# Wine itself would take the Linux path (it reads a path that starts with /
# as one), so what the launcher hands it is recorded on the way.
mkdir -p "$work/recording-bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s"\nexec %s "$@"\n' "$work/wine-arguments.txt" \
  "$(command -v wine)" >"$work/recording-bin/wine"
chmod +x "$work/recording-bin/wine"
as_user PATH="$work/recording-bin:$PATH" /usr/bin/glyphora "$work/art folder/$odd_name" \
  >"$work/launcher.log" 2>&1 &
launcher=$!
found=$(as_user wine "$probe" find 60 | tr -d '\r')
check "the launcher's window appears" test -n "$found"
read -r x y width height < <(sed -n 's/^client=//p' <<<"$found")
cols=$((${width:-0} / 8)) rows=$((${height:-0} / 16))
if [ "$cols" -gt 0 ] && [ "$rows" -gt 0 ]; then
  sleep 0.5
  import -window root -crop "$((cols * 8))x$((rows * 16))+$x+$y" +repage "$work/window.png"
  /usr/bin/glyphora-shot --size "${cols}x${rows}" "$files/art.ans" "$work/expected.png" >/dev/null 2>&1
  differing=$(compare -metric AE "$work/window.png" "$work/expected.png" "$work/diff.png" 2>&1)
  check_eq "it shows the file named on the command line" 0 "$differing"
fi
as_user wine "$probe" send 16 0 >/dev/null 2>&1  # WM_CLOSE
wait "$launcher"
check_eq "closing the window ends the launcher with 0" 0 $?
# Not the file's own name, which Wine would read as another: a link to it
# with a plain name, in a folder of the launch's own that goes when it ends,
# reached through the launcher's working directory (/proc/PID/cwd).
handed=$(paste -sd'|' "$work/wine-arguments.txt")
check "the launcher hands Wine the program and a plain link's Windows path" grep -Eqx \
  '/usr/lib/glyphora/glyphora.exe\|Z:\\proc\\[0-9]+\\cwd\\glyphora_sample_Z__etc_passwd____x\.ans' <<<"$handed"
launch_pid=$(sed -n 's/^Z:\\proc\\\([0-9]*\)\\.*/\1/p' "$work/wine-arguments.txt")
check_eq "and the link's folder is gone" "" \
  "$(find "${XDG_RUNTIME_DIR:-/nonexistent}/glyphora" "${TMPDIR:-/tmp}/glyphora-$(id -u)" -mindepth 1 -maxdepth 1 \
     -name "$launch_pid.*" 2>/dev/null)"
as_user wineserver -w
check_eq "the program ran in ~/.wine: its associations name the installed program" \
  '"Z:\usr\lib\glyphora\glyphora.exe" "%1"' \
  "$(reg_value "$home/.wine/system.reg" 'Software\Classes\Glyphora.Viewer\shell\open\command' @)"

# ---- Purged --------------------------------------------------------------------
as_root dpkg --purge glyphora >"$work/dpkg-purge.txt" 2>&1
check "dpkg --purge removes it" test $? -eq 0
check "dpkg no longer knows it" test -z "$(dpkg-query -W -f='${Status}' glyphora 2>/dev/null)"
snapshot >"$work/after.txt"
# What is new since before the install, less anything another package owns
# (installed meanwhile by someone else): nothing of ours may be left.
left=$(comm -13 "$work/before.txt" "$work/after.txt" | while read -r path; do
  dpkg -S "$path" >/dev/null 2>&1 || echo "$path"
done)
check_eq "nothing is left in /usr, /etc or dpkg's records" "" "$left"
for desktop in "${desktops[@]}"; do
  for row in "${types[@]}"; do
    read -r file _ <<<"$row"
    check_eq "xdg-mime ($desktop desktop) names $file as before the install" \
      "${type_before[$desktop/$file]}" "$(query_type "$desktop" "$files/$file")"
  done
done
check "no desktop database lists Glyphora" \
  bash -c '! grep -rqs glyphora /usr/share/applications/mimeinfo.cache /usr/share/mime/packages'
finish
