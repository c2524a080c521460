#!/usr/bin/env bash
# Debian packages: the mingw-w64 cross toolchain, Wine (32-bit), Xvfb, 32-bit Mesa (OpenGL for Wine's
# windows on Xvfb), sanitizer and fuzzing runtimes, and the source packages' deb-src entry for the
# cross-built libraries.
set -euo pipefail
packages=(g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils fonts-wqy-microhei libgl1:i386 libgl1-mesa-dri:i386
  cmake ninja-build ccache dpkg-dev python3 clang libclang-rt-14-dev
  libcurl4-openssl-dev googletest libspdlog-dev libfmt-dev nlohmann-json3-dev libstb-dev
  nginx-light axel aria2 curl openssl python3-pil)

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386; need_update=1
fi
src=/etc/apt/sources.list.d/tolvan-deb-src.sources
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
  cat > "$src" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
