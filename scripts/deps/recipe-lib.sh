# Shared by the recipes (sourced, not run).

# Unpacks Debian source package $1 under $TOLVAN_SRC (with its debian/patches) and prints the tree.
debian_source() {
  local dir=$TOLVAN_SRC/$1-package
  mkdir -p "$dir"
  (cd "$dir" && apt-get source --download-only -q "$1" && dpkg-source -x ./*.dsc tree) >&2
  echo "$dir/tree"
}

# Writes $TOLVAN_PREFIX/cmake/Deps-$1.cmake from stdin. Deps.cmake includes every such file.
write_import() {
  mkdir -p "$TOLVAN_PREFIX/cmake"
  cat > "$TOLVAN_PREFIX/cmake/Deps-$1.cmake"
}

# Debian's static mingw zlib (libz-mingw-w64-dev), copied into the prefix as tolvan::zlib: the
# libraries built here link against exactly this copy.
stage_zlib() {
  [ -f "$TOLVAN_PREFIX/cmake/Deps-zlib.cmake" ] && return
  mkdir -p "$TOLVAN_PREFIX/lib" "$TOLVAN_PREFIX/include"
  cp /usr/i686-w64-mingw32/lib/libz.a "$TOLVAN_PREFIX/lib/"
  cp /usr/i686-w64-mingw32/include/zlib.h /usr/i686-w64-mingw32/include/zconf.h "$TOLVAN_PREFIX/include/"
  write_import zlib <<'CMAKE'
if(NOT TARGET tolvan::zlib)
  add_library(tolvan::zlib STATIC IMPORTED)
  set_target_properties(tolvan::zlib PROPERTIES
    IMPORTED_LOCATION "${CMAKE_CURRENT_LIST_DIR}/../lib/libz.a"
    INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_CURRENT_LIST_DIR}/../include")
endif()
CMAKE
}
