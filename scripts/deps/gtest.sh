#!/usr/bin/env bash
# GoogleTest/GoogleMock 1.12.1 from Debian's googletest sources, cross-built static.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cmake -S /usr/src/googletest -B "$TOLVAN_SRC/gtest-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF \
  -DCMAKE_INSTALL_PREFIX="$TOLVAN_PREFIX" >/dev/null
cmake --build "$TOLVAN_SRC/gtest-build" -j "$TOLVAN_JOBS"
cmake --install "$TOLVAN_SRC/gtest-build" >/dev/null
