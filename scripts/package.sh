#!/usr/bin/env bash
# Builds every package into build/packages/:
#   glyphora-VERSION-win32.zip    the release glyphora.exe, licence, read-me, samples
#   glyphora-VERSION-setup.exe    the same as an NSIS installer
#   glyphora_VERSION_amd64.deb    the program under Wine, glyphora-shot, desktop files
#   glyphora-VERSION-web.zip      the page: the static folder any web server can host
# with CPack: the Windows build (preset windows) makes the first two, the
# release native build (preset package) the Debian package, which carries the
# Windows build's stripped program. GLYPHORA_WINDOWS_BUILD names another build
# folder of the Windows program.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh

jobs=$(nproc)
# Stripping stamps Windows programs with the time: the commit's time instead,
# so every package carries the same bytes of glyphora.exe.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
out=$root/build/packages
win=${GLYPHORA_WINDOWS_BUILD:-$root/build/windows}
native=$root/build/package-native
stage() { printf '\n=== %s ===\n' "$*"; }
rm -rf "$out"
mkdir -p "$out"

stage "Windows: zip and installer"
cmake --preset windows -B "$win" >/dev/null
cmake --build "$win" -j "$jobs" --target glyphora
cpack --config "$win/CPackConfig.cmake" -B "$out"

stage "Debian package"
# Debian's build flags (hardening included), as a package built by its tools gets.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake --preset package \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" >/dev/null
rm -rf "$native/windows-stage"
cmake --install "$win" --strip --prefix "$native/windows-stage" >/dev/null
cmake --build "$native" -j "$jobs" --target package_contents
cpack --config "$native/CPackConfig.cmake" -B "$out"

stage "Web page: zip"
bash scripts/web.sh --build-only
version=$(sed -n 's/^project(glyphora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
web_stage=$root/build/web/zip/glyphora-$version-web
rm -rf "$root/build/web/zip"
mkdir -p "$web_stage"
cp build/web/site/* LICENSE "$web_stage/"
# Every entry stamped with the commit's time, so the same sources zip the same.
(cd "$root/build/web/zip" && cmake -E tar cf "$out/glyphora-$version-web.zip" --format=zip \
  --mtime="$(date -u -d "@$SOURCE_DATE_EPOCH" "+%Y-%m-%d %H:%M:%S UTC")" "glyphora-$version-web")

rm -rf "$out/_CPack_Packages"
stage "packages"
ls -l "$out"
