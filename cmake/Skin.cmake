# tolvan_add_skin_resource(<target>)
# Packs skin/ into a zip in the build tree and links it into <target> as resource "ZIPRES" 102, the
# skin the windows load. Call it in the directory that defines <target>: the zip's build rule is
# attached to that target.
function(tolvan_add_skin_resource target)
  set(skin_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../skin")
  cmake_path(NORMAL_PATH skin_dir)
  set(packer "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../scripts/pack-skin.py")
  cmake_path(NORMAL_PATH packer)
  find_program(TOLVAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
  file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS "${skin_dir}/*")
  set(out_dir "${CMAKE_CURRENT_BINARY_DIR}/${target}-skin")
  set(zip "${out_dir}/skin.zip")
  set(rc "${out_dir}/skin.rc")
  add_custom_command(OUTPUT "${zip}"
    COMMAND "${TOLVAN_PYTHON}" "${packer}" "${skin_dir}" "${zip}"
    DEPENDS ${skin_files} "${packer}"
    COMMENT "Packing the skin for ${target}"
    VERBATIM)
  file(CONFIGURE OUTPUT "${rc}" CONTENT "102 ZIPRES \"${zip}\"\n")
  # windres does not report the files a script includes: the object depends on the zip explicitly.
  set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${zip}")
  target_sources(${target} PRIVATE "${rc}" "${zip}")
endfunction()
