#!/usr/bin/env bash
# cpprestsdk 2.10.18 from Debian's cpprest sources, cross-built static: WinHTTP client, Windows PPLX
# tasks, Win32 file streams; no websockets, listener or compression, so no Boost or OpenSSL.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/deps/recipe-lib.sh"
src=$(debian_source cpprest)
# MinGW compatibility (header names, MSVC-only intrinsics and macros, i686 casts).
patch -d "$src" -p1 < "$here/deps/patches/cpprest-mingw.patch" >&2

cmake -S "$src" -B "$TOLVAN_SRC/cpprest-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$TOLVAN_PREFIX" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_SAMPLES=OFF -DWERROR=OFF \
  -DCPPREST_EXCLUDE_WEBSOCKETS=ON -DCPPREST_EXCLUDE_COMPRESSION=ON -DCPPREST_EXCLUDE_BROTLI=ON \
  -DCPPREST_PPLX_IMPL=winpplx -DCPPREST_HTTP_CLIENT_IMPL=winhttp -DCPPREST_HTTP_LISTENER_IMPL=none \
  -DCPPREST_FILEIO_IMPL=win32 >/dev/null
cmake --build "$TOLVAN_SRC/cpprest-build" -j "$TOLVAN_JOBS"
cmake --install "$TOLVAN_SRC/cpprest-build" >/dev/null
rm -rf "$TOLVAN_PREFIX/lib/cmake/cpprestsdk"   # imported as tolvan::cpprest below instead

# Definitions from the static build's own exported target, plus _TURN_OFF_PLATFORM_STRING: cpprest's
# macro U(x) breaks every template with a parameter named U (GoogleTest's among them); use _XPLATSTR.
# System libraries: libcpprest's imports.
write_import cpprest libcpprest_2_10.a "winhttp;bcrypt;crypt32" \
  "CPPREST_EXCLUDE_WEBSOCKETS=1;CPPREST_FORCE_PPLX=1;_NO_ASYNCRTIMP;_NO_PPLXIMP;_TURN_OFF_PLATFORM_STRING"
