#!/usr/bin/env bash
# The Windows packages as a user meets them, under Wine in a throw-away
# prefix: the zip holds the stripped program that needs only the system's
# DLLs, with its licence, read-me and samples; the installer, run silently,
# puts the files, a Start-menu shortcut and an Add/Remove Programs entry in
# place; the installed program starts, shows its window and writes its file
# associations; the silent uninstaller then leaves nothing of it behind, but
# keeps associations that a copy elsewhere has taken over since.
#   windows_test.sh PACKAGES_DIR SAMPLES_DIR WINDOW_PROBE_EXE WORK_DIR
# Runs on a display (the program's window).
set -uo pipefail
packages=$(realpath "$1") samples=$(realpath "$2") probe=$(realpath "$3") work=$4
suite=windows
source "$(dirname "$0")/checks.sh"
require_tools unzip i686-w64-mingw32-objdump wine wineboot wineserver file
[ -n "${DISPLAY:-}" ] || give_up "no display: run it under xvfb-run"
version=0.1.9
zip=$packages/glyphora-$version-win32.zip
setup=$packages/glyphora-$version-setup.exe
[ -f "$zip" ] && [ -f "$setup" ] && [ -f "$probe" ] || give_up "no zip, installer or window probe"
rm -rf "$work" && mkdir -p "$work" && work=$(realpath "$work")

# ---- The zip -------------------------------------------------------------------
top=glyphora-$version-win32
check_eq "the zip holds the program, licence, read-me and samples" \
  "$top/LICENSE.txt $top/README.txt $top/glyphora.exe $top/samples/ $top/samples/glyphora.ans $top/samples/glyphora.asc" \
  "$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
unzip -q "$zip" -d "$work/zip" || give_up "the zip does not unpack"
unpacked=$work/zip/$top
exe=$unpacked/glyphora.exe
check "the program is a 32-bit Windows GUI program" \
  grep -q 'PE32 executable (GUI) Intel 80386' <(file "$exe")
headers=$(i686-w64-mingw32-objdump -f -h "$exe")
check_not "it is stripped: no symbols, no debug sections" grep -Eq 'HAS_SYMS|HAS_DEBUG|\.debug_' <<<"$headers"
# Every DLL it loads comes with Windows: the C++ runtime is linked in.
system_dlls=" ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SHELL32.DLL USER32.DLL "
imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '[:lower:]' '[:upper:]')
foreign=$(for dll in $imports; do [[ $system_dlls == *" $dll "* ]] || echo "$dll"; done)
check_eq "it loads only the system's DLLs" "" "$foreign"
check "it loads some (the check reads the import table)" test -n "$imports"
check "the licence is LICENSE with Windows line ends" \
  cmp <(sed 's/$/\r/' "$(dirname "$0")/../../LICENSE") "$unpacked/LICENSE.txt"
check "the read-me is plain text with Windows line ends" \
  grep -q '^ASCII text, with CRLF line terminators$' <(file -b "$unpacked/README.txt")
check "and names the version" grep -q "Glyphora $version" "$unpacked/README.txt"
for sample in glyphora.ans glyphora.asc; do
  check "samples/$sample as in the repository" cmp "$samples/$sample" "$unpacked/samples/$sample"
done

# ---- Installed ---------------------------------------------------------------
export HOME=$work/home WINEPREFIX=$work/prefix WINEARCH=win32
mkdir -p "$HOME"
new_wine_prefix || give_up "could not make the Wine prefix"
drive=$WINEPREFIX/drive_c
dir="$drive/Program Files/Glyphora"
win_dir='C:\Program Files\Glyphora'
shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Glyphora.lnk"
arp='Software\Microsoft\Windows\CurrentVersion\Uninstall\Glyphora'
classes='Software\Classes'
settings='Software\Kolt\Glyphora'
wine_done() { wineserver -w; }  # every process ended and the registry written
files_now() { (cd "$drive" && find . | sort); }
files_now >"$work/files-before.txt"

wine "$setup" /S </dev/null >"$work/setup.log" 2>&1
check_eq "the installer /S exits 0" 0 $?
wine_done
check_eq "it installs the program, licence, read-me, samples and uninstaller" \
  "./LICENSE.txt ./README.txt ./Uninstall.exe ./glyphora.exe ./samples ./samples/glyphora.ans ./samples/glyphora.asc" \
  "$(cd "$dir" 2>/dev/null && find . -mindepth 1 | sort | tr '\n' ' ' | sed 's/ $//')"
check "the installed program is the zip's" cmp "$exe" "$dir/glyphora.exe"
check "the Start menu has a shortcut to it" grep -aqi 'Glyphora\\glyphora.exe' "$shortcut"
reg=$WINEPREFIX/system.reg
entry=(
  "DisplayName Glyphora"
  "DisplayVersion $version"
  "Publisher Kolt"
  "DisplayIcon $win_dir\\glyphora.exe,0"
  "InstallLocation $win_dir"
  "UninstallString \"$win_dir\\Uninstall.exe\""
  "QuietUninstallString \"$win_dir\\Uninstall.exe\" /S"
)
for row in "${entry[@]}"; do
  read -r name value <<<"$row"
  check_eq "Add/Remove Programs: $name" "$value" "$(reg_value "$reg" "$arp" "$name")"
done
size_hex=$(reg_value "$reg" "$arp" EstimatedSize | sed -n 's/^dword://p')
size_kb=$((16#${size_hex:-0}))
files_kb=$(( $(find "$dir" -type f -printf '%s+' 2>/dev/null)0 ))
files_kb=$((files_kb / 1024))
# Counted in whole KB, file by file: a few KB apart at most.
check "Add/Remove Programs: EstimatedSize $size_kb KB, the files' $files_kb KB" \
  test "$size_kb" -gt 0 -a $((size_kb - files_kb)) -le 8 -a $((files_kb - size_kb)) -le 8

# ---- The installed program -----------------------------------------------------
# Started as the shortcut starts it; the first start shows the About box,
# which the probe closes.
run_viewer() {  # WINDOWS_PATH_OF_EXE WHAT
  wine "$1" </dev/null >>"$work/viewer.log" 2>&1 &
  local viewer=$! found
  found=$(wine "$probe" find 60 | tr -d '\r')
  check_eq "$2 shows its window" "Glyphora v$version" "$(sed -n 's/^title=//p' <<<"$found")"
  wine "$probe" send 16 0 >/dev/null 2>&1  # WM_CLOSE
  wait "$viewer"
  wine_done
}
run_viewer "$win_dir\\glyphora.exe" "the installed program"
associations=(
  ".asc|Glyphora.Viewer"
  ".ans|Glyphora.Viewer"
  "Glyphora.Viewer|Glyphora File"
  "Glyphora.Viewer\\DefaultIcon|$win_dir\\glyphora.exe,2"
  "Glyphora.Viewer\\shell\\open\\command|\"$win_dir\\glyphora.exe\" \"%1\""
)
for row in "${associations[@]}"; do
  IFS='|' read -r key value <<<"$row"
  check_eq "it wrote HKCR\\$key" "$value" "$(reg_value "$reg" "$classes\\$key" @)"
done
check "and its settings key" reg_has_key "$WINEPREFIX/user.reg" "$settings"

# Another program's value on the .ans key, which must outlive the uninstall.
wine reg add 'HKCR\.ans' /v "Content Type" /d text/x-ansi /f </dev/null >/dev/null 2>&1
wine_done

# ---- Uninstalled -----------------------------------------------------------------
wine "$dir/Uninstall.exe" /S </dev/null >"$work/uninstall.log" 2>&1
check_eq "the uninstaller /S exits 0" 0 $?
wine_done  # the uninstaller runs on as a copy in the temporary folder
check "the folder is gone" test ! -e "$dir"
check "the shortcut is gone" test ! -e "$shortcut"
check_not "the Add/Remove Programs entry is gone" reg_has_key "$reg" "$arp"
for row in "${associations[@]}"; do
  IFS='|' read -r key _ <<<"$row"
  check_not "HKCR\\$key: its Glyphora value is gone" reg_value "$reg" "$classes\\$key" @
done
check_eq "the other program's value on .ans stays" text/x-ansi "$(reg_value "$reg" "$classes\\.ans" 'Content Type')"
check_not "the settings key is gone" reg_has_key "$WINEPREFIX/user.reg" "$settings"
mentions=$(grep -il -e glyphora -e kolt "$WINEPREFIX"/*.reg)
check_eq "no registry file mentions Glyphora or Kolt" "" "$mentions"
files_now >"$work/files-after.txt"
# The uninstaller ran as a copy in the temporary folder, which cannot delete
# itself: it leaves that copy for Windows to delete at the next start.
comm -13 "$work/files-before.txt" "$work/files-after.txt" >"$work/files-new.txt"
pending_deletions "$reg" | sort >"$work/files-pending.txt"
check "the uninstaller's own copy is all that is new, and goes at the next start" \
  grep -q '/Temp/~nsu.*\.tmp/Un.exe$' "$work/files-pending.txt"
check_eq "no other file is left that was not there before" "" \
  "$(comm -23 "$work/files-new.txt" "$work/files-pending.txt")"

# ---- Associations taken over by another copy stay --------------------------------
wine "$setup" /S </dev/null >>"$work/setup.log" 2>&1
wine_done
mkdir -p "$drive/portable"
cp "$exe" "$drive/portable/glyphora.exe"
run_viewer 'C:\portable\glyphora.exe' "a copy outside the installation"
wine "$dir/Uninstall.exe" /S </dev/null >>"$work/uninstall.log" 2>&1
wine_done
check "uninstalled again: the folder is gone" test ! -e "$dir"
check_eq "the copy's command stays" '"C:\portable\glyphora.exe" "%1"' \
  "$(reg_value "$reg" "$classes\\Glyphora.Viewer\\shell\\open\\command" @)"
check_eq "and its icon" 'C:\portable\glyphora.exe,2' "$(reg_value "$reg" "$classes\\Glyphora.Viewer\\DefaultIcon" @)"
check_eq ".asc still leads to it" Glyphora.Viewer "$(reg_value "$reg" "$classes\\.asc" @)"
check_eq ".ans too" Glyphora.Viewer "$(reg_value "$reg" "$classes\\.ans" @)"
check_not "the settings key is gone all the same" reg_has_key "$WINEPREFIX/user.reg" "$settings"
wineserver -k
finish
