# The icons and the about banner are drawn by tools/gen_art.py into
# ${ZOR_ART_DIR}; target zorart brings them up to date. They are made on
# every platform: the Windows build compiles them into the program, and the
# unit tests check them in both builds.
find_program(ZOR_PYTHON python3 REQUIRED)
set(ZOR_ART_DIR "${CMAKE_BINARY_DIR}/art")
set(ZOR_ART_FILES "${ZOR_ART_DIR}/zor.ico" "${ZOR_ART_DIR}/spare.ico" "${ZOR_ART_DIR}/banner.bmp")
foreach(level 00 01 02 03 04 05 06 07 08 09 10 11 12 13 14)
  list(APPEND ZOR_ART_FILES "${ZOR_ART_DIR}/level${level}.ico")
endforeach()
add_custom_command(
  OUTPUT ${ZOR_ART_FILES}
  COMMAND "${ZOR_PYTHON}" "${CMAKE_SOURCE_DIR}/tools/gen_art.py" "${ZOR_ART_DIR}"
  DEPENDS "${CMAKE_SOURCE_DIR}/tools/gen_art.py"
  COMMENT "Drawing the icons and the about banner"
  VERBATIM)
add_custom_target(zorart DEPENDS ${ZOR_ART_FILES})

# Lets TARGET's resource script RC_SOURCE include src/res/art.rc: the art
# directory goes on the include path, and the script is recompiled when the
# art changes (the resource compiler's dependency scan does not see files
# named by ICON or BITMAP statements).
function(zor_use_art target rc_source)
  add_dependencies(${target} zorart)
  target_include_directories(${target} PRIVATE "${ZOR_ART_DIR}" "${CMAKE_SOURCE_DIR}/src/res")
  set_property(SOURCE "${rc_source}" APPEND PROPERTY OBJECT_DEPENDS ${ZOR_ART_FILES})
endfunction()
