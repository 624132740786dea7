#!/usr/bin/env bash
# The glyphora launcher against a stand-in wine that, like Wine, reads the
# path it is handed on drive Z: (the root): every file with an odd name opens
# exactly its own bytes through a plain link in a private folder; a folder, a
# missing, unreadable or special file is refused before wine starts; the
# folder goes when wine ends, and one a killed launch left goes at the next.
#   launcher_test.sh LAUNCHER VERSION WORK_DIR
set -uo pipefail
launcher=$(realpath "$1") version=$2 work=$3
suite=launcher
source "$(dirname "$0")/checks.sh"
require_tools setpriv sha256sum mkfifo stat
# Root, as the test command runs: it plays another user, nobody, for a file
# it cannot read (root reads every file).
[ "$(id -u)" -eq 0 ] || give_up "run it as root"
[ -x "$launcher" ] || give_up "no launcher at $launcher"
rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")
case $work in
  *[!A-Za-z0-9/._-]*) give_up "the work folder's path must be plain ASCII: $work" ;;
esac
# Another user reaches the launcher, the stand-ins and the files below.
chmod 755 "$work"

bin=$work/bin record=$work/record/wine.txt
mkdir -p "$bin" "$work/record"
chmod 1777 "$work/record"
cat >"$bin/wine" <<'EOF'
#!/bin/sh
# Records what it is handed, then reads the file as Wine would: Z: is the root.
{
  printf 'argc=%s\n' "$#"
  printf 'exe=%s\n' "$1"
  if [ $# -ge 2 ]; then
    printf 'path=%s\n' "$2"
    p=$(printf '%s' "${2#Z:}" | tr '\\' /)
    printf 'link=%s\n' "${p##*/}"
    printf 'folder=%s\n' "${p%/*}"
    printf 'folder_mode=%s\n' "$(stat -c '%a %U' "${p%/*}")"
    [ -L "$p" ] && echo is_link=yes
    printf 'sha=%s\n' "$(sha256sum <"$p" | cut -d' ' -f1)"
  fi
  printf 'lang=%s\n' "${LANG:-}"
} >"$WINE_RECORD"
exit "${WINE_STATUS:-0}"
EOF
# The launcher must not ask winepath: it prints a name with a line end on two lines.
printf '#!/bin/sh\ntouch "%s"\nexit 1\n' "$work/winepath-called" >"$bin/winepath"
chmod 755 "$bin/wine" "$bin/winepath"

prefix=$work/prefix runtime=$work/runtime
mkdir -p "$prefix/dosdevices" "$runtime"
ln -s / "$prefix/dosdevices/z:"
chmod 700 "$runtime"

# launch [VAR=VALUE | as-nobody]... -- ARG...: runs the launcher in $files
# (as the user nobody when asked); sets status, message (its standard error
# and output) and wine_ran.
status=0 message='' wine_ran=no
launch() {
  local vars=() as=()
  while [ "$1" != -- ]; do
    if [ "$1" = as-nobody ]; then as=(setpriv --reuid=65534 --regid=65534 --clear-groups); else vars+=("$1"); fi
    shift
  done
  shift
  rm -f "$record"
  message=$(cd "$files" && "${as[@]}" env PATH="$bin:$PATH" XDG_RUNTIME_DIR="$runtime" WINEPREFIX="$prefix" \
    LANG=pl_PL.UTF-8 WINE_RECORD="$record" "${vars[@]}" "$launcher" "$@" 2>&1)
  status=$?
  wine_ran=no
  [ -f "$record" ] && wine_ran=yes
}
field() { sed -n "s/^$1=//p" "$record"; }
sha() { sha256sum <"$1" | cut -d' ' -f1; }
# What Wine was handed and read, in one line: the exit status, the argument
# count, the program, whether the path is plain ASCII on Z:, the link's name,
# its folder's mode and owner, and the bytes read.
handed() {
  local path plain=no
  path=$(field path)
  grep -Eqx 'Z:(\\[A-Za-z0-9._-]+)+' <<<"$path" && [ "$(wc -l <"$record")" -eq 9 ] && plain=yes
  echo "exit=$status argc=$(field argc) exe=$(field exe) plain=$plain link=$(field link)" \
    "folder=$(field folder_mode) symlink=$(field is_link) bytes=$(field sha)"
}
# opens WHAT FILE LINK_NAME ARG...: the launcher hands Wine a link named
# LINK_NAME through which it reads FILE's bytes.
opens() {
  local what=$1 file=$2 link_name=$3
  shift 3
  launch -- "$@"
  check_eq "$what" \
    "exit=0 argc=2 exe=/usr/lib/glyphora/glyphora.exe plain=yes link=$link_name folder=700 root symlink=yes bytes=$(sha "$file")" \
    "$(handed)"
}
# refused WHAT MESSAGE [VAR=VALUE...] -- ARG...: exit 1 with a message that
# holds MESSAGE, and wine never started.
refused() {
  local what=$1 expected=$2
  shift 2
  launch "$@"
  local said=no
  grep -qF -- "$expected" <<<"$message" && said=yes
  check_eq "$what" "exit=1 said=yes wine=no" "exit=$status said=$said wine=$wine_ran"
  [ "$said" = yes ] || echo "$message"
}

# ---- Names ---------------------------------------------------------------------
files=$work/files
mkdir -p "$files"
n=0
make_file() {  # PATH: a file with bytes no other file has
  n=$((n + 1))
  printf '\033[1;3%dmart %d\r\n' $((n % 8)) "$n" >"$1"
}
# name, the link's name
names=(
  "plain.ans" "plain.ans"
  $'nl\nZ:\\etc\\passwd' "nl_Z__etc_passwd"
  $'a.ans\n' "a_ans_"
  "a.ans" "a.ans"
  'back\slash.ans' "back_slash.ans"
  "what?.asc" "what_.asc"
  "star*.ans" "star_.ans"
  "it's \"quoted\".ans" "it_s__quoted_.ans"
  "with spaces .ans" "with_spaces_.ans"
  "zażółć gęślą.ans" "za_________g____l__.ans"
  $'\xff\xfe invalid.ans' "___invalid.ans"
  '$(touch pwned) `id`.ans' "__touch_pwned___id_.ans"
  "my.art.ANS" "my_art.ANS"
  "con.ans" "_con.ans"
  "Lpt1.asc" "_Lpt1.asc"
  ".hidden" "_hidden"
  "ends in a dot." "ends_in_a_dot_"
  "odd.ext?" "odd_ext_"
  "long.extension" "long_extension"
  "$(printf 'x%.0s' {1..200}).ans" "$(printf 'x%.0s' {1..64}).ans"
)
for ((i = 0; i < ${#names[@]}; i += 2)); do make_file "$files/${names[i]}"; done
for ((i = 0; i < ${#names[@]}; i += 2)); do
  opens "$(printf '%q' "${names[i]}") opens its own bytes through ${names[i + 1]}" \
    "$files/${names[i]}" "${names[i + 1]}" "$files/${names[i]}"
done
check "no name ran a command" test ! -e "$files/pwned"

opens "a relative name with a line end and a Windows path opens itself" \
  "$files/"$'nl\nZ:\\etc\\passwd' nl_Z__etc_passwd $'nl\nZ:\\etc\\passwd'
make_file "$files/-x.ans"
opens "a name with a leading dash after --" "$files/-x.ans" -x.ans -- -x.ans
opens "a name with a leading dash as ./-x.ans" "$files/-x.ans" -x.ans ./-x.ans
make_file "$files/-"
opens "a file named -" "$files/-" - -
odd_folder=$files/$'odd\nfolder?\\ ü'
mkdir -p "$odd_folder"
make_file "$odd_folder/art.ans"
opens "a file in a folder with an odd name" "$odd_folder/art.ans" art.ans "$odd_folder/art.ans"
ln -s "$odd_folder/art.ans" "$files/link to art.ans"
opens "a symlink opens its target's bytes, named after the symlink" "$odd_folder/art.ans" \
  link_to_art.ans "link to art.ans"
check_eq "Wine is handed the locale unchanged" pl_PL.UTF-8 "$(field lang)"
check_eq "the link's folder is one of its own in XDG_RUNTIME_DIR/glyphora" "$runtime/glyphora" \
  "$(dirname "$(field folder)")"
check_eq "which is the user's alone" "700" "$(stat -c %a "$runtime/glyphora")"
check_eq "and every launch's folder went when wine ended" "" "$(ls -A "$runtime/glyphora")"
check "winepath was never asked" test ! -e "$work/winepath-called"

# ---- Refused ---------------------------------------------------------------------
refused "a folder" "not a file but a folder: $files" -- "$files"
refused "a missing file" "no such file: $files/missing.ans" -- "$files/missing.ans"
ln -s "$files/missing.ans" "$files/dangling.ans"
refused "a symlink to a missing file" "no such file: $files/dangling.ans" -- "$files/dangling.ans"
mkfifo "$files/fifo.ans"
refused "a FIFO" "not a regular file: $files/fifo.ans" -- "$files/fifo.ans"
refused "a device" "not a regular file: /dev/null" -- /dev/null
# The unreadable file, and a readable one beside it, as the user nobody.
mkdir -p "$work/nobody-tmp"
chmod 1777 "$work/nobody-tmp"
make_file "$files/closed.ans"
chmod 600 "$files/closed.ans"
refused "a file the user cannot read" "cannot read: $files/closed.ans" \
  XDG_RUNTIME_DIR= TMPDIR="$work/nobody-tmp" as-nobody -- "$files/closed.ans"
launch XDG_RUNTIME_DIR= TMPDIR="$work/nobody-tmp" as-nobody -- "$files/plain.ans"
check_eq "while one it can read opens, its link in a folder of its own in TMPDIR, gone after" \
  "exit=0 link=plain.ans folder=700 nobody bytes=$(sha "$files/plain.ans") left=" \
  "exit=$status link=$(field link) folder=$(field folder_mode) bytes=$(field sha) left=$(ls -A "$work/nobody-tmp")"
mkdir -p "$work/elsewhere/dosdevices"
ln -s "$work" "$work/elsewhere/dosdevices/z:"
refused "a Wine prefix whose Z: is not the root" "drive Z: of the Wine prefix $work/elsewhere is not the root" \
  WINEPREFIX="$work/elsewhere" -- "$files/plain.ans"
launch WINEPREFIX="$work/new-prefix" -- "$files/plain.ans"
check_eq "a prefix Wine has yet to make: Wine makes Z: the root" "0 $(sha "$files/plain.ans")" "$status $(field sha)"

# The private folder: XDG_RUNTIME_DIR/glyphora is the user's own folder or nothing.
for kind in file symlink "other user's"; do
  other=$work/runtime-$((++n))
  mkdir -p "$other"
  case $kind in
    file) touch "$other/glyphora" ;;
    symlink) ln -s "$runtime/glyphora" "$other/glyphora" ;;
    *) mkdir -m 700 "$other/glyphora" && chown 65534:65534 "$other/glyphora" ;;
  esac
  refused "XDG_RUNTIME_DIR/glyphora is a $kind" "$other/glyphora is not a folder of this user's own" \
    XDG_RUNTIME_DIR="$other" -- "$files/plain.ans"
done
# Folders whose paths Wine cannot be handed as they are: the next one that can.
mkdir -p "$work/odd runtime" "$work/tmp" "$work/odd tmp"
launch XDG_RUNTIME_DIR="$work/odd runtime" TMPDIR="$work/tmp" -- "$files/plain.ans"
check_eq "XDG_RUNTIME_DIR with a space: a new folder in TMPDIR" "0 $work/tmp/glyphora.*" \
  "$status $(field folder | sed 's/\.[A-Za-z0-9]*$/.*/')"
launch XDG_RUNTIME_DIR= TMPDIR="$work/odd tmp" -- "$files/plain.ans"
check_eq "TMPDIR with a space too: a new folder in /tmp" "0 /tmp/glyphora.*" \
  "$status $(field folder | sed 's/\.[A-Za-z0-9]*$/.*/')"
check_eq "and both went when wine ended" "" "$(find "$work/tmp" "$work/odd runtime" "$work/odd tmp" -mindepth 1)"
check "the /tmp one too" test ! -e "$(field folder)"

# ---- What a launch leaves ------------------------------------------------------
# A launch killed outright leaves its folder; the next removes it, and only
# those whose launcher has ended.
sleep 0 & dead=$!
wait "$dead"
sleep 60 & alive=$!
mkdir -m 700 "$runtime/glyphora/$dead.AAAAAA" "$runtime/glyphora/$alive.BBBBBB" "$runtime/glyphora/keep"
ln -s "$files/plain.ans" "$runtime/glyphora/$dead.AAAAAA/plain.ans"
launch -- "$files/plain.ans"
check_eq "a folder of an ended launch goes at the next; one of a running launch stays" \
  "$alive.BBBBBB keep" "$(ls "$runtime/glyphora" | tr '\n' ' ' | sed 's/ $//')"
check_eq "the plain.ans the left folder linked to is still there" "$(sha "$files/plain.ans")" "$(field sha)"
# What no launch made stays, even under a dead process's number: a file of
# the user's, a folder of another shape, a launch-shaped folder's own file.
mkdir -m 700 "$runtime/glyphora/$dead.AAAAAC" "$runtime/glyphora/$dead.d"
make_file "$runtime/glyphora/$dead.ans"
make_file "$runtime/glyphora/$dead.AAAAAC/notes.txt"
ln -s "$files/plain.ans" "$runtime/glyphora/$dead.AAAAAC/plain.ans"
launch -- "$files/plain.ans"
listed() { LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'; }
check_eq "only a launch's links go from what a killed launch seems to have left" \
  "$(printf '%s\n' "$dead.AAAAAC" "$dead.AAAAAC/notes.txt" "$dead.ans" "$dead.d" "$alive.BBBBBB" keep | listed)" \
  "$(cd "$runtime/glyphora" && find . -mindepth 1 | sed 's|^\./||' | listed)"
rm -rf "$runtime/glyphora/$dead".*
# A relative XDG_RUNTIME_DIR is no runtime folder: it names a folder below
# wherever the launcher runs.
mkdir -p "$files/relative/glyphora"
launch XDG_RUNTIME_DIR=relative TMPDIR="$work/tmp" -- "$files/plain.ans"
check_eq "a relative XDG_RUNTIME_DIR: a new folder in TMPDIR, nothing made below it" \
  "0 $work/tmp/glyphora.* " "$status $(field folder | sed 's/\.[A-Za-z0-9]*$/.*/') $(ls -A "$files/relative/glyphora")"
rm -rf "$files/relative"
launch WINE_STATUS=3 -- "$files/plain.ans"
check_eq "wine's exit status is the launcher's, and its folder still goes" "3 $alive.BBBBBB keep" \
  "$status $(ls "$runtime/glyphora" | tr '\n' ' ' | sed 's/ $//')"
kill "$alive"

# ---- The command line ----------------------------------------------------------
launch -- -x.ans
check_eq "a first argument with a leading dash is an unknown option: usage, exit 2, no wine" \
  "2 no yes" "$status $wine_ran $(grep -q 'named after --' <<<"$message" && echo yes)"
launch -- "$files/a.ans" "$files/plain.ans"
check_eq "two files: usage, exit 2, no wine" "2 no" "$status $wine_ran"
launch -- -- "$files/a.ans" "$files/plain.ans"
check_eq "two files after --: usage, exit 2, no wine" "2 no" "$status $wine_ran"
launch -- --version
check_eq "--version prints the name and the build's version" "0 glyphora $version no" "$status $message $wine_ran"
launch -- --help
check_eq "--help prints the usage" "0 usage: glyphora [--] [FILE] no" "$status $(head -1 <<<"$message") $wine_ran"
launch -- --
check_eq "-- alone starts the program without a file" "0 1 /usr/lib/glyphora/glyphora.exe" \
  "$status $(field argc) $(field exe)"
launch --
check_eq "as nothing does" "0 1" "$status $(field argc)"
finish
