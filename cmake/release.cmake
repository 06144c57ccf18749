# The programs that ship. Each is built by target "programs" and named in
# ${CMAKE_BINARY_DIR}/programs.txt, the list that tools/release.sh packs and
# tools/test.sh checks; each carries a version resource and a manifest. Every
# Windows link takes its PE time stamp from the source's commit, so that the
# same commit builds the same bytes wherever and whenever it is built.

# The time stamp: SOURCE_DATE_EPOCH when given, else the commit's time. A tree
# without its git history (an unpacked archive) falls back on its newest
# source file, which `git archive` stamps with the commit's time.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ZOR_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
elseif(EXISTS "${CMAKE_SOURCE_DIR}/.git")
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}"
                  OUTPUT_VARIABLE ZOR_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET)
endif()
if(NOT ZOR_SOURCE_DATE_EPOCH)
  file(GLOB_RECURSE sources "${CMAKE_SOURCE_DIR}/src/*" "${CMAKE_SOURCE_DIR}/cmake/*"
       "${CMAKE_SOURCE_DIR}/tools/*")
  set(ZOR_SOURCE_DATE_EPOCH 0)
  foreach(source ${sources} "${CMAKE_SOURCE_DIR}/CMakeLists.txt" "${CMAKE_SOURCE_DIR}/VERSION")
    file(TIMESTAMP "${source}" time "%s" UTC)
    if(time GREATER ZOR_SOURCE_DATE_EPOCH)
      set(ZOR_SOURCE_DATE_EPOCH ${time})
    endif()
  endforeach()
  message(WARNING "No git history here: the programs are stamped with the newest source "
                  "file's time (${ZOR_SOURCE_DATE_EPOCH}); builds of this tree match only "
                  "builds of a tree with the same times.")
endif()
if(NOT ZOR_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${ZOR_SOURCE_DATE_EPOCH}'")
endif()
message(STATUS "Zorvane ${PROJECT_VERSION}, time stamp ${ZOR_SOURCE_DATE_EPOCH}")
# Debian's MinGW linker writes the PE time stamp from SOURCE_DATE_EPOCH.
set(CMAKE_CXX_LINKER_LAUNCHER "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${ZOR_SOURCE_DATE_EPOCH}")
file(WRITE "${CMAKE_BINARY_DIR}/source-date-epoch" "${ZOR_SOURCE_DATE_EPOCH}\n")

add_custom_target(programs)
file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/programs.txt"
     CONTENT "$<JOIN:$<TARGET_PROPERTY:programs,ZOR_FILES>,\n>\n")

# zor_program(TARGET [DESCRIPTION TEXT [GUI]]): TARGET ships, from bin/. With
# a DESCRIPTION it gets its version resource (VERSION) and its manifest
# (asInvoker; GUI: common controls 6) from src/res/program.*.in; without one
# its own resource script has them. Both companions say they scale to the
# system's DPI themselves (Windows 2000 ignores manifests), so that Vista and
# later do not stretch their windows into blur.
function(zor_program target)
  cmake_parse_arguments(arg "GUI" "DESCRIPTION" "" ${ARGN})
  add_dependencies(programs ${target})
  set_property(TARGET programs APPEND PROPERTY ZOR_FILES ${target}${CMAKE_EXECUTABLE_SUFFIX})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")
  if(NOT arg_DESCRIPTION)
    return()
  endif()
  set(ZOR_PROGRAM ${target})
  set(ZOR_DESCRIPTION "${arg_DESCRIPTION}")
  set(ZOR_VERSION4 "${PROJECT_VERSION}.0")
  string(REPLACE "." ", " ZOR_VERSION_COMMAS "${ZOR_VERSION4}")
  set(ZOR_MANIFEST_DEPENDENCY "")
  if(arg_GUI)
    set(ZOR_MANIFEST_DEPENDENCY [[
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
        processorArchitecture="x86" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
]])
  endif()
  set(ZOR_MANIFEST_DPI [[
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
    </windowsSettings>
  </application>
]])
  set(ZOR_MANIFEST "${CMAKE_BINARY_DIR}/res/${target}.manifest")
  set(rc "${CMAKE_BINARY_DIR}/res/${target}.rc")
  configure_file("${CMAKE_SOURCE_DIR}/src/res/program.manifest.in" "${ZOR_MANIFEST}" @ONLY)
  configure_file("${CMAKE_SOURCE_DIR}/src/res/program.rc.in" "${rc}" @ONLY)
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${ZOR_MANIFEST}")
  target_sources(${target} PRIVATE "${rc}")
endfunction()
