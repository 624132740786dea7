#!/usr/bin/env bash
# Installs everything the build, the tests and the program need, from Debian's
# packages. Safe to run twice: when everything is present it returns at once.
set -euo pipefail

native_pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
             libbenchmark-dev libpng-dev pkg-config)
windows_pkgs=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth
              x11-utils xdotool imagemagick locales)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# Wine takes the system's locale from LANG; the Polish menu's test runs under
# pl_PL.UTF-8, which must exist for that.
polish_locale() {
  grep -qix 'pl_PL.utf8' < <(locale -a 2>/dev/null) || as_root localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
}

missing=()
for p in "${native_pkgs[@]}" "${windows_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then polish_locale; exit 0; fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq
as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
# mingw's posix thread model is what std::thread and GoogleTest expect.
as_root update-alternatives --set i686-w64-mingw32-g++ /usr/bin/i686-w64-mingw32-g++-posix >/dev/null 2>&1 || true
as_root update-alternatives --set i686-w64-mingw32-gcc /usr/bin/i686-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
polish_locale
echo "setup: done"
