#!/usr/bin/env bash
# minizip from Debian's zlib sources (contrib/minizip), cross-built static with the Win32 file I/O,
# against the staged mingw zlib. Headers go to include/minizip (#include <minizip/unzip.h>).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/deps/recipe-lib.sh"
stage_zlib
src=$(debian_source zlib)/contrib/minizip

# CVE-2023-45853 (zip header field overflow); skipped once Debian's sources carry the fix themselves.
if ! grep -q 'strlen(filename)>0xffff' "$src/zip.c"; then
  patch -d "$src" -p1 < "$here/deps/patches/minizip-CVE-2023-45853.patch" >&2
fi

build=$TOLVAN_SRC/minizip-build
mkdir -p "$build" "$TOLVAN_PREFIX/lib" "$TOLVAN_PREFIX/include/minizip"
for unit in ioapi unzip zip iowin32; do
  i686-w64-mingw32-gcc-posix -c -O2 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN \
    -I"$TOLVAN_PREFIX/include" "$src/$unit.c" -o "$build/$unit.o"
done
rm -f "$TOLVAN_PREFIX/lib/libminizip.a"
i686-w64-mingw32-ar rcs "$TOLVAN_PREFIX/lib/libminizip.a" "$build"/*.o
cp "$src"/{ioapi,unzip,zip,iowin32}.h "$TOLVAN_PREFIX/include/minizip/"

write_import minizip libminizip.a tolvan::zlib
