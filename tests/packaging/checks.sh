# Sourced by the packaging tests: each check counts as passed or failed and
# says what it proves; `finish` prints the closing count and gives the status.
passed=0 failed=0
ok() { passed=$((passed + 1)); echo "ok: $* [$SECONDS s]"; }
not_ok() { failed=$((failed + 1)); echo "FAIL: $*"; }
# check WHAT COMMAND...: passes when COMMAND succeeds; its output is shown
# only when it fails.
check() {
  local what=$1 output; shift
  if output=$("$@" 2>&1); then ok "$what"; else not_ok "$what"; [ -z "$output" ] || echo "$output"; fi
}
# check_not WHAT COMMAND...: passes when COMMAND fails.
check_not() {
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then not_ok "$what"; else ok "$what"; fi
}
# check_eq WHAT EXPECTED ACTUAL
check_eq() {
  if [ "$2" = "$3" ]; then ok "$1"; else not_ok "$1: expected '$2', got '$3'"; fi
}
# A failure the rest cannot go on from.
give_up() { not_ok "$*"; finish; exit 1; }
finish() {
  echo "$suite: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || give_up "$tool is not installed (scripts/setup.sh installs it)"
  done
}

# Wine for the tests: no chatter, no offers to install Mono or Gecko, and no
# menu entries or file types exported to the desktop of the machine running them.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# A fresh prefix at $WINEPREFIX that draws its own window frames (a virtual
# display has no window manager to wait for).
new_wine_prefix() {
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || return 1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}
# The contents of one key in a registry file of a prefix whose server has
# stopped (so the file is written): its "name"=value lines, @ for the default.
# Key paths are given as in the file, with single backslashes.
reg_key() {  # FILE KEY
  local escaped=${2//\\/\\\\}
  # Through the environment: awk -v would undo the doubled backslashes.
  KEY="[${escaped,,}]" awk 'BEGIN { key = ENVIRON["KEY"] }
    /^\[/ { inside = (tolower(substr($0, 1, length(key))) == key && substr($0, length(key) + 1, 1) == " ") ; next }
    inside && NF { print }' "$1"
}
# One value of a key: the text of a string, or dword:XXXXXXXX; fails when absent.
reg_value() {  # FILE KEY NAME (@ for the default)
  local name=\"$3\"
  [ "$3" = @ ] && name=@
  reg_key "$1" "$2" | awk -v name="$name" '
    index($0, name "=") == 1 { v = substr($0, length(name) + 2); found = 1 }
    END { if (!found) exit 1; if (v ~ /^".*"$/) { v = substr(v, 2, length(v) - 2); gsub(/\\\\/, "\\", v); gsub(/\\"/, "\"", v) } print v }'
}
# Whether a key is present in a registry file.
reg_has_key() {  # FILE KEY
  local escaped=${2//\\/\\\\}
  grep -qiF "[${escaped}] " "$1"
}
# The files and folders a prefix is to delete at Windows' next start
# (MoveFileEx's PendingFileRenameOperations entries without a new name), as
# paths under drive_c like `find .` prints them.
pending_deletions() {  # SYSTEM_REG
  reg_value "$1" 'System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations \
    | sed 's/^str(7):"//; s/"$//' | perl -pe 's/\\(\\|0)/$1 eq "0" ? "\n" : "\\"/ge' \
    | awk 'NR % 2 == 1 { source = $0; next } $0 == "" && source != "" { print source }' \
    | sed 's/^\\??\\[Cc]:/./; s/\\/\//g'
}
