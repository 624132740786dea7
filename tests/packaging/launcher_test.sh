#!/usr/bin/env bash
# The glyphora launcher against a stand-in wine that, like Wine, reads the
# path it is handed on drive Z: (the root): every file with an odd name opens
# exactly its own bytes through a plain link in a private folder; a folder, a
# missing, unreadable or special file is refused before wine starts; the
# folder goes when wine ends, and one a killed launch left goes at the next.
# Races are played at the exact step: by the stand-in wine before it reads,
# and by HOOKED_LAUNCHER (the same launcher built to run GLYPHORA_TEST_HOOK
# at each of its steps) between its steps.
#   launcher_test.sh LAUNCHER VERSION WORK_DIR HOOKED_LAUNCHER
set -uo pipefail
launcher=$(realpath "$1") version=$2 work=$3 hooked=$(realpath "$4")
suite=launcher
source "$(dirname "$0")/checks.sh"
require_tools setpriv sha256sum mkfifo stat flock perl
# Root, as the test command runs: it plays another user, nobody, for a file
# it cannot read (root reads every file).
[ "$(id -u)" -eq 0 ] || give_up "run it as root"
[ -x "$launcher" ] && [ -x "$hooked" ] || give_up "no launcher at $launcher or $hooked"
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
    printf 'folder=%s\n' "$(cd -P "${p%/*}" && pwd -P)"
    printf 'folder_mode=%s\n' "$(stat -L -c '%a %U' "${p%/*}")"
    [ -L "$p" ] && echo is_link=yes
    # A race the test plays: FILE changed (another file linked in its place,
    # or a FIFO) after the launcher handed it over, before it is read.
    case ${WINE_SWAP:-} in
      link) rm -f "$WINE_SWAP_FILE" && ln -s "$WINE_SWAP_TO" "$WINE_SWAP_FILE" ;;
      fifo) rm -f "$WINE_SWAP_FILE" && mkfifo "$WINE_SWAP_FILE" ;;
    esac
    printf 'sha=%s\n' "$(timeout 5 sh -c 'sha256sum <"$1"' - "$p" | cut -d' ' -f1)"
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

# ---- Races -------------------------------------------------------------------------
# What Wine reads is the file checked, whatever its name leads to by then.
make_file "$files/swapped.ans"
make_file "$files/other.ans"
want=$(sha "$files/swapped.ans")
launch WINE_SWAP=link WINE_SWAP_FILE="$files/swapped.ans" WINE_SWAP_TO="$files/other.ans" -- "$files/swapped.ans"
check_eq "a file replaced by a link to another once handed over: Wine reads the file checked" \
  "0 $want" "$status $(field sha)"
rm -f "$files/swapped.ans"
make_file "$files/swapped.ans"
want=$(sha "$files/swapped.ans")
launch WINE_SWAP=fifo WINE_SWAP_FILE="$files/swapped.ans" -- "$files/swapped.ans"
check_eq "a file replaced by a FIFO once handed over: Wine reads the file checked, waits for no FIFO" \
  "0 $want" "$status $(field sha)"
rm -f "$files/swapped.ans"
# The hooked launcher: GLYPHORA_TEST_HOOK runs `race STEP ARG` at each step.
race=$work/race
cat >"$race" <<'END'
#!/bin/sh
# Plays the other side at the step named in RACE_AT: RACE_DO says what.
[ "$1" = "$RACE_AT" ] || exit 0
case $RACE_DO in
  fifo)  # the checked file becomes a FIFO, with a writer so the open returns
    rm -f "$2" && mkfifo "$2" && { (exec 3>"$2"; sleep 1) & } ;;
  swap-base)  # the checked folder's name now leads to another folder
    mv "$2" "$2.moved" && ln -s "$RACE_VICTIM" "$2" ;;
esac
END
chmod 755 "$race"
hooked_launch() { local saved=$launcher; launcher=$hooked; launch GLYPHORA_TEST_HOOK="$race" "$@"; launcher=$saved; }
make_file "$files/becomes-fifo.ans"
hooked_launch RACE_AT=checked RACE_DO=fifo -- "$files/becomes-fifo.ans"
check_eq "a file that becomes a FIFO between its check and its open: refused after the open" \
  "exit=1 wine=no said=yes" \
  "exit=$status wine=$wine_ran said=$(grep -qF "not a regular file: $files/becomes-fifo.ans" <<<"$message" && echo yes)"
rm -f "$files/becomes-fifo.ans"
# A TMPDIR others may write in: its glyphora-0 swapped for a link to a folder
# of the victim's, where a left launch's folder seems to be, after the check.
shared=$work/shared-tmp victim=$work/victim
mkdir -p "$shared" "$victim/1.AAAAAA"
chmod 777 "$shared"
ln -s "$files/plain.ans" "$victim/1.AAAAAA/plain.ans"
echo 1 >"$victim/1.AAAAAA/.lock"
ln -s "$files/plain.ans" "$victim/kept link"
hooked_launch XDG_RUNTIME_DIR= TMPDIR="$shared" RACE_AT=base RACE_DO=swap-base RACE_VICTIM="$victim" \
  -- "$files/plain.ans"
check_eq "the folder of launches swapped after its check: the launch stays in the folder checked" \
  "0 $shared/glyphora-0.moved/" "$status $(field folder | sed 's/[0-9]*\.[A-Za-z0-9]*$//')"
check_eq "and nothing in the folder swapped in is touched" "1.AAAAAA 1.AAAAAA/.lock 1.AAAAAA/plain.ans kept link" \
  "$(cd "$victim" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')"
rm -rf "$shared" "$victim"
rm -f "$work/hook-ran"
printf '#!/bin/sh\ntouch "%s"\n' "$work/hook-ran" >"$work/hook"
chmod 755 "$work/hook"
launch GLYPHORA_TEST_HOOK="$work/hook" -- "$files/plain.ans"
check_eq "the installed launcher runs no hook, whatever the environment names" "0 no" \
  "$status $([ -e "$work/hook-ran" ] && echo yes || echo no)"

# ---- Names in messages -------------------------------------------------------------
refused "a name that would set the terminal's title is shown escaped" \
  "no such file: $files/\\e]0;owned\\x07.ans" -- "$files/"$'\e]0;owned\a.ans'
check "and no ESC or BEL reaches the terminal" test -z "$(tr -d -c '\033\007' <<<"$message")"
refused "C1 controls and bytes that are not UTF-8 too" \
  "no such file: $files/\\xc2\\x9b31m\\xff\\\\.ans" -- "$files/"$'\xc2\x9b31m\xff\\.ans'

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
check_eq "while one it can read opens, its link in a folder of its own in TMPDIR/glyphora-UID, gone after" \
  "exit=0 link=plain.ans folder=700 nobody bytes=$(sha "$files/plain.ans") in=$work/nobody-tmp/glyphora-65534 left=" \
  "exit=$status link=$(field link) folder=$(field folder_mode) bytes=$(field sha) in=$(dirname "$(field folder)") left=$(ls -A "$work/nobody-tmp/glyphora-65534")"
mkdir -p "$work/elsewhere/dosdevices"
ln -s "$work" "$work/elsewhere/dosdevices/z:"
refused "a Wine prefix whose Z: is not the root" "drive Z: of the Wine prefix $work/elsewhere is not the root" \
  WINEPREFIX="$work/elsewhere" -- "$files/plain.ans"
launch WINEPREFIX="$work/new-prefix" -- "$files/plain.ans"
check_eq "a prefix Wine has yet to make: Wine makes Z: the root" "0 $(sha "$files/plain.ans")" "$status $(field sha)"

# XDG_RUNTIME_DIR is used only when it is the user's own, mode 0700, and its
# glyphora a folder of the user's own; otherwise TMPDIR/glyphora-UID is.
# Root run with another user's environment (sudo -E) must not trust theirs.
mkdir -p "$work/tmp"
for kind in "other user's runtime folder" "runtime folder not 0700" "glyphora a file" "glyphora a symlink" \
  "glyphora another user's"; do
  other=$work/runtime-$((++n))
  mkdir -m 700 -p "$other"
  case $kind in
    "other user's runtime folder") chown 65534:65534 "$other" ;;
    "runtime folder not 0700") chmod 755 "$other" ;;
    "glyphora a file") touch "$other/glyphora" ;;
    "glyphora a symlink") ln -s "$runtime/glyphora" "$other/glyphora" ;;
    *) mkdir -m 700 "$other/glyphora" && chown 65534:65534 "$other/glyphora" ;;
  esac
  before=$(cd "$other" && find . | LC_ALL=C sort | xargs stat -c '%n %a %U %F' | tr '\n' ' ')
  launch XDG_RUNTIME_DIR="$other" TMPDIR="$work/tmp" -- "$files/plain.ans"
  check_eq "$kind: the launch falls back to TMPDIR, touching nothing there" \
    "0 $work/tmp/glyphora-0 $(sha "$files/plain.ans") $before" \
    "$status $(dirname "$(field folder)") $(field sha) $(cd "$other" && find . | LC_ALL=C sort | xargs stat -c '%n %a %U %F' | tr '\n' ' ')"
done
# Wine is handed the link's path through /proc (the launcher's working
# directory), so any folder will do, whatever its name.
mkdir -m 700 -p "$work/odd runtime" "$work/odd tmp"
launch XDG_RUNTIME_DIR="$work/odd runtime" -- "$files/plain.ans"
check_eq "XDG_RUNTIME_DIR with a space is used, Wine handed a plain path" \
  "0 $work/odd runtime/glyphora yes" "$status $(dirname "$(field folder)") $(handed | grep -q plain=yes && echo yes)"
launch XDG_RUNTIME_DIR= TMPDIR="$work/odd tmp" -- "$files/plain.ans"
check_eq "TMPDIR with a space too" "0 $work/odd tmp/glyphora-0" "$status $(dirname "$(field folder)")"
check_eq "and both launches' folders went when wine ended" "" \
  "$(find "$work/odd runtime" "$work/odd tmp" -mindepth 2)"
mkdir -p "$files/relative/glyphora"
launch XDG_RUNTIME_DIR=relative TMPDIR="$work/tmp" -- "$files/plain.ans"
check_eq "a relative XDG_RUNTIME_DIR is none: TMPDIR, nothing made below it" \
  "0 $work/tmp/glyphora-0 " "$status $(dirname "$(field folder)") $(ls -A "$files/relative/glyphora")"
rm -rf "$files/relative"

# ---- What a launch leaves ------------------------------------------------------
# A launch holds a lock in its folder while it runs; a killed one leaves its
# folder, and the next launch removes it once its lock is free, whatever its
# process number says (another PID namespace may share the folder).
sweep_case() {  # FOLDER LOCK: a launch-shaped folder with a link; LOCK none, empty, free or held
  mkdir -m 700 "$1"
  ln -s "$files/plain.ans" "$1/plain.ans"
  case $2 in
    empty) : >"$1/.lock" ;;
    free|held) echo 1 >"$1/.lock" ;;
  esac
}
sleep 0 & dead=$!
wait "$dead"
sleep 60 & alive=$!
for where in "$runtime/glyphora" "$work/tmp/glyphora-0"; do
  sweep_case "$where/$dead.AAAAAA" held
  sweep_case "$where/$alive.BBBBBB" free
  sweep_case "$where/$dead.CCCCCC" empty
  sweep_case "$where/$dead.DDDDDD" free
  chown -h 65534:65534 "$where/$dead.DDDDDD"
  sweep_case "$where/$dead.EEEEEE" free
  make_file "$where/$dead.EEEEEE/notes.txt"
  mkdir -m 700 "$where/keep"
done
# The test holds the locks of the AAAAAA folders, as a launch in another PID
# namespace would.
exec {held_xdg}>"$runtime/glyphora/$dead.AAAAAA/.lock" {held_tmp}>"$work/tmp/glyphora-0/$dead.AAAAAA/.lock"
flock -n "$held_xdg" && flock -n "$held_tmp" || give_up "could not take the locks"
launch -- "$files/plain.ans"
launch XDG_RUNTIME_DIR= TMPDIR="$work/tmp" -- "$files/plain.ans"
for where in "$runtime/glyphora" "$work/tmp/glyphora-0"; do
  check_eq "$where: only folders whose lock is free go, and of those only what a launch makes" \
    "$(printf '%s\n' "$dead.AAAAAA" "$dead.AAAAAA/.lock" "$dead.AAAAAA/plain.ans" \
       "$dead.CCCCCC" "$dead.CCCCCC/.lock" "$dead.CCCCCC/plain.ans" \
       "$dead.DDDDDD" "$dead.DDDDDD/.lock" "$dead.DDDDDD/plain.ans" \
       "$dead.EEEEEE" "$dead.EEEEEE/notes.txt" keep | LC_ALL=C sort | tr '\n' ' ')" \
    "$(cd "$where" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')"
done
exec {held_xdg}>&- {held_tmp}>&-
kill "$alive"
check_eq "the plain.ans the left folders linked to is still there" "$(sha "$files/plain.ans")" "$(field sha)"
rm -rf "$runtime/glyphora"/* "$work/tmp/glyphora-0"/*
launch WINE_STATUS=3 -- "$files/plain.ans"
check_eq "wine's exit status is the launcher's, and its folder still goes" "3 " \
  "$status $(ls "$runtime/glyphora" | tr '\n' ' ' | sed 's/ $//')"

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
