# tolvan_add_skin_resource(<target>)
# Packs skin/ into a zip in the build tree and links it into <target> as resource "ZIPRES" 102, the
# skin the windows load. Call it in the directory that defines <target>: the zip's build rule is
# attached to that target.

set(TOLVAN_SKIN_DIR "${CMAKE_CURRENT_LIST_DIR}/../skin")
cmake_path(NORMAL_PATH TOLVAN_SKIN_DIR)
set(TOLVAN_SKIN_PACKER "${CMAKE_CURRENT_LIST_DIR}/../scripts/pack-skin.py")
cmake_path(NORMAL_PATH TOLVAN_SKIN_PACKER)
set(TOLVAN_SKIN_RESOURCE_ID 102)
set(TOLVAN_SKIN_RESOURCE_TYPE ZIPRES)

function(tolvan_add_skin_resource target)
  find_program(TOLVAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS "${TOLVAN_SKIN_DIR}/*")
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}-skin")
  set(zip "${out_dir}/skin.zip")
  set(rc "${out_dir}/skin.rc")
  add_custom_command(OUTPUT "${zip}"
    COMMAND "${TOLVAN_PYTHON}" "${TOLVAN_SKIN_PACKER}" "${TOLVAN_SKIN_DIR}" "${zip}"
    DEPENDS ${skin_files} "${TOLVAN_SKIN_PACKER}"
    COMMENT "Packing the skin for ${target}"
    VERBATIM)
  file(CONFIGURE OUTPUT "${rc}"
    CONTENT "${TOLVAN_SKIN_RESOURCE_ID} ${TOLVAN_SKIN_RESOURCE_TYPE} \"${zip}\"\n")
  # windres does not report the files a script includes: the object depends on the zip explicitly.
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${zip}")
  target_sources(${target} PRIVATE "${rc}" "${zip}")
endfunction()
