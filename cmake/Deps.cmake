# Third-party libraries as imported targets, the same names for the Windows and the native build:
#   tolvan::curl tolvan::minizip tolvan::cpprest tolvan::spdlog tolvan::json tolvan::stb
#   GTest::gtest GTest::gmock GTest::gtest_main
# Windows: everything comes from TOLVAN_DEPS_PREFIX (scripts/deps.sh). Native: Debian's packages.

if(WIN32)
  if(NOT TOLVAN_DEPS_PREFIX OR NOT EXISTS "${TOLVAN_DEPS_PREFIX}/.complete")
    message(FATAL_ERROR "Set TOLVAN_DEPS_PREFIX to the prefix printed by scripts/deps.sh")
  endif()
  list(PREPEND CMAKE_FIND_ROOT_PATH "${TOLVAN_DEPS_PREFIX}")
  set(_tolvan_headers "${TOLVAN_DEPS_PREFIX}/headers")
  # Forced: a build tree reconfigured with a newer prefix must not keep the old prefix's GoogleTest.
  set(GTest_DIR "${TOLVAN_DEPS_PREFIX}/lib/cmake/GTest" CACHE PATH "" FORCE)
  find_package(GTest CONFIG REQUIRED)
else()
  set(_tolvan_headers "/usr/include")
  find_package(GTest REQUIRED)
  find_package(CURL REQUIRED)
  add_library(tolvan::curl ALIAS CURL::libcurl)
endif()

add_library(tolvan_json INTERFACE)
target_include_directories(tolvan_json SYSTEM INTERFACE "${_tolvan_headers}")
add_library(tolvan::json ALIAS tolvan_json)

add_library(tolvan_stb INTERFACE)
target_include_directories(tolvan_stb SYSTEM INTERFACE "${_tolvan_headers}/stb")
add_library(tolvan::stb ALIAS tolvan_stb)

add_library(tolvan_spdlog INTERFACE)
target_include_directories(tolvan_spdlog SYSTEM INTERFACE "${_tolvan_headers}")
target_compile_definitions(tolvan_spdlog INTERFACE FMT_HEADER_ONLY SPDLOG_FMT_EXTERNAL
                           $<$<BOOL:${WIN32}>:SPDLOG_WCHAR_FILENAMES>)
add_library(tolvan::spdlog ALIAS tolvan_spdlog)

# Cross-built libraries (curl, minizip, cpprest): their recipes add Deps-<name>.cmake to the prefix.
if(WIN32)
  file(GLOB _tolvan_dep_files "${TOLVAN_DEPS_PREFIX}/cmake/Deps-*.cmake")
  foreach(_f IN LISTS _tolvan_dep_files)
    include("${_f}")
  endforeach()
endif()
