#!/usr/bin/env bash
# The file types as a desktop reads them from the package's MIME description,
# without installing anything: a private MIME database of the system's types
# and ours, then each file named by both readers, as the Debian package test
# does after dpkg -i.
#   mime_types_test.sh MIME_XML SAMPLES_DIR WORK_DIR
set -uo pipefail
mime_xml=$(realpath "$1") samples=$(realpath "$2") work=$3
suite=mime-types
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
source "$here/file_types.sh"
require_tools update-mime-database xdg-mime mimetype gio
system_types=/usr/share/mime/packages/freedesktop.org.xml
[ -f "$system_types" ] || give_up "no $system_types (scripts/setup.sh installs shared-mime-info)"
rm -rf "$work" && mkdir -p "$work/data/mime/packages" "$work/home" "$work/files" && work=$(realpath "$work")
cp "$system_types" "$work/data/mime/packages/"
cp "$mime_xml" "$work/data/mime/packages/glyphora.xml"
update-mime-database "$work/data/mime" >/dev/null 2>&1 || give_up "update-mime-database refuses $mime_xml"
export XDG_DATA_DIRS=$work/data XDG_DATA_HOME=$work/home
write_type_samples "$samples" "$work/files"
for desktop in "${type_desktops[@]}"; do
  for row in "${type_rows[@]}"; do
    read -r file expected <<<"$row"
    check_eq "xdg-mime ($desktop desktop) names $file" "$expected" "$(query_type "$desktop" "$work/files/$file")"
  done
done
finish
