#!/usr/bin/env bash
# Installs everything the build, the tests and the program need, from Debian's
# packages. Safe to run twice: when everything is present it returns at once.
set -euo pipefail

native_pkgs=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev
             libbenchmark-dev libpng-dev pkg-config)
# Packs of art: libzip reads them, python3 makes the tests' packs, and the
# pack benchmark times ansilove beside glyphora-shot.
pack_pkgs=(libzip-dev zlib1g-dev python3 ansilove bc time)
windows_pkgs=(g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth
              x11-utils xdotool imagemagick locales)
# Making the packages and testing them as installed: the installer compiler,
# Debian's package checks, the desktop's databases and the tools that read them.
packaging_pkgs=(nsis dpkg-dev lintian desktop-file-utils shared-mime-info xdg-utils
                libfile-mimeinfo-perl libglib2.0-bin appstream unzip)

# The page: Debian's Emscripten (its tools need node-acorn) and the Chromium its
# tests and benchmark drive; npm brings their one npm package, puppeteer-core.
web_pkgs=(emscripten node-acorn chromium)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
# Wine takes the system's locale from LANG; the Polish menu's test runs under
# pl_PL.UTF-8, which must exist for that.
polish_locale() {
  grep -qix 'pl_PL.utf8' < <(locale -a 2>/dev/null) || as_root localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
export DEBIAN_FRONTEND=noninteractive

# Wine's loader is a 32-bit Linux program. Some kernels are built or booted
# without 32-bit support ("Exec format error"); there the loader runs under
# qemu's user-mode emulator, registered for 32-bit x86 programs. Releases of
# qemu before 8.1 walk every page of Wine's large address reservations and
# take about a minute per process, so the emulator comes from backports.
backports=/etc/apt/sources.list.d/glyphora-backports.sources
runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
emulate_32bit() {
  runs_32bit && return 0
  local qemu=/usr/bin/qemu-i386 binfmt=/proc/sys/fs/binfmt_misc
  if ! installed qemu-user || ! "$qemu" --version | grep -Eq 'version ([89]|[1-9][0-9])\.'; then
    echo "setup: this kernel runs no 32-bit programs; installing qemu-user from bookworm-backports"
    if [ ! -f "$backports" ]; then
      printf '%s\n' 'Types: deb' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm-backports' \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' \
        | as_root tee "$backports" >/dev/null
    fi
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
  fi
  [ -e "$binfmt/register" ] || as_root mount -t binfmt_misc binfmt_misc "$binfmt"
  # Whatever the packages registered for i386 (if anything) gives way to the
  # emulator itself, opened now ('F') so it serves every later 32-bit start.
  [ -e "$binfmt/qemu-i386" ] && echo -1 | as_root tee "$binfmt/qemu-i386" >/dev/null
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':OCF' \
    | as_root tee "$binfmt/register" >/dev/null
  runs_32bit || { echo "setup: 32-bit programs still do not run; Wine cannot work here" >&2; exit 1; }
}

missing=()
for p in "${native_pkgs[@]}" "${pack_pkgs[@]}" "${windows_pkgs[@]}" "${packaging_pkgs[@]}" "${web_pkgs[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
  fi
  as_root apt-get update -qq
  as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  # mingw's posix thread model is what std::thread and GoogleTest expect.
  as_root update-alternatives --set i686-w64-mingw32-g++ /usr/bin/i686-w64-mingw32-g++-posix >/dev/null 2>&1 || true
  as_root update-alternatives --set i686-w64-mingw32-gcc /usr/bin/i686-w64-mingw32-gcc-posix >/dev/null 2>&1 || true
  echo "setup: done"
fi
emulate_32bit
polish_locale

# npm comes with nodejs where nodejs is not Debian's own; otherwise from Debian.
command -v npm >/dev/null || as_root apt-get install -y -qq --no-install-recommends npm >/dev/null
# The page's tests' npm packages, exactly as the lock file names them, when
# they are missing or the lock file changed. puppeteer-core downloads no browser.
web_tests="$(cd "$(dirname "$0")/.." && pwd)/tests/web"
if [ ! -f "$web_tests/node_modules/.package-lock.json" ] ||
   [ "$web_tests/package-lock.json" -nt "$web_tests/node_modules/.package-lock.json" ]; then
  (cd "$web_tests" && npm ci --prefer-offline --no-audit --no-fund --loglevel=error >/dev/null)
fi
