#!/usr/bin/env bash
# libcurl 7.88.1 from Debian's curl sources, cross-built static: Schannel TLS, SSPI, zlib, threaded
# resolver; everything else off so the library needs only system DLLs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/deps/recipe-lib.sh"
stage_zlib
src=$(debian_source curl)

cmake -S "$src" -B "$TOLVAN_SRC/curl-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$TOLVAN_PREFIX" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
  -DCURL_ENABLE_SSL=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_WINDOWS_SSPI=ON \
  -DCURL_ZLIB=ON -DZLIB_INCLUDE_DIR="$TOLVAN_PREFIX/include" -DZLIB_LIBRARY="$TOLVAN_PREFIX/lib/libz.a" \
  -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF \
  -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF \
  -DCURL_USE_LIBPSL=OFF -DCURL_USE_GSSAPI=OFF -DENABLE_UNIX_SOCKETS=OFF \
  -DENABLE_THREADED_RESOLVER=ON -DENABLE_UNICODE=ON >/dev/null
cmake --build "$TOLVAN_SRC/curl-build" -j "$TOLVAN_JOBS"
cmake --install "$TOLVAN_SRC/curl-build" >/dev/null

# Only the library and headers are used; the generated config files hold the scratch prefix path.
rm -rf "$TOLVAN_PREFIX/bin/curl-config" "$TOLVAN_PREFIX/lib/pkgconfig/libcurl.pc" "$TOLVAN_PREFIX/lib/cmake/CURL"
rmdir --ignore-fail-on-non-empty "$TOLVAN_PREFIX/bin" "$TOLVAN_PREFIX/lib/pkgconfig"

# System libraries: the imports of libcurl.a (Schannel's secur32 is loaded at run time).
write_import curl libcurl.a "tolvan::zlib;ws2_32;crypt32;bcrypt;advapi32" CURL_STATICLIB
