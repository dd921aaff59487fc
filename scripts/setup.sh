#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root. Installs nothing
# when everything is already there, so it is cheap to call before every build.
set -euo pipefail

packages=(mingw-w64 g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine32:i386 wine64 xvfb xauth
  clang libclang-rt-14-dev libpng-dev zlib1g-dev libgtest-dev libbenchmark-dev googletest
  cmake ninja-build make python3-pil fonts-dejavu-core binutils-mingw-w64-i686 dpkg-dev
  wixl msitools)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

src_list=/etc/apt/sources.list.d/debian-src.sources
if [ ! -f "$src_list" ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src_list"
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi

# libpng's source for the cross build, kept outside git.
third=$(cd "$(dirname "$0")/.." && pwd)/third_party
mkdir -p "$third"
have_libpng() { ls "$third"/libpng1.6_*.orig.tar.* >/dev/null 2>&1; }
# The newest source may lack a file on the mirror while its tarball arrived, so the
# tarball decides, with the release's own version as a second try.
for source in libpng1.6 libpng1.6/bookworm; do
  have_libpng && break
  (cd "$third" && apt-get source --download-only -qq "$source" >/dev/null 2>&1) || true
done
if ! have_libpng; then
  echo "setup: could not download libpng's source package" >&2
  exit 1
fi
