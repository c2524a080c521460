# Shared by the recipes (sourced, not run).

# Unpacks Debian source package $1 under $TOLVAN_SRC (with its debian/patches) and prints the tree.
debian_source() {
  local dir=$TOLVAN_SRC/$1-package
  mkdir -p "$dir"
  (cd "$dir" && apt-get source --download-only -q "$1" && dpkg-source -x ./*.dsc tree) >&2
  echo "$dir/tree"
}

# write_import <name> <library file> <link libraries> [compile definitions]
# Writes $TOLVAN_PREFIX/cmake/Deps-<name>.cmake (included by Deps.cmake): the static library lib/<file>
# as the imported target tolvan::<name>, headers in include/, paths relative to the prefix.
write_import() {
  mkdir -p "$TOLVAN_PREFIX/cmake"
  cat > "$TOLVAN_PREFIX/cmake/Deps-$1.cmake" <<CMAKE
if(NOT TARGET tolvan::$1)
  add_library(tolvan::$1 STATIC IMPORTED)
  set_target_properties(tolvan::$1 PROPERTIES
    IMPORTED_LOCATION "\${CMAKE_CURRENT_LIST_DIR}/../lib/$2"
    INTERFACE_INCLUDE_DIRECTORIES "\${CMAKE_CURRENT_LIST_DIR}/../include"
    INTERFACE_LINK_LIBRARIES "$3"
    INTERFACE_COMPILE_DEFINITIONS "${4:-}")
endif()
CMAKE
}

# Debian's static mingw zlib (libz-mingw-w64-dev), copied into the prefix as tolvan::zlib: the
# libraries built here link against exactly this copy.
stage_zlib() {
  [ -f "$TOLVAN_PREFIX/cmake/Deps-zlib.cmake" ] && return
  mkdir -p "$TOLVAN_PREFIX/lib" "$TOLVAN_PREFIX/include"
  cp /usr/i686-w64-mingw32/lib/libz.a "$TOLVAN_PREFIX/lib/"
  cp /usr/i686-w64-mingw32/include/zlib.h /usr/i686-w64-mingw32/include/zconf.h "$TOLVAN_PREFIX/include/"
  write_import zlib libz.a ""
}
