# Each folder of src/ is a room: a library of its own that links only the
# rooms it may use. A room's sources see, through a folder of links made
# here, only its own headers and those of the rooms below it, so an include
# of a room it may not use fails the build.
#
# zor_room(NAME [USES ROOM...]) says what a room uses; zor_make_rooms()
# then makes each room's library zor_NAME from src/NAME, less the programs'
# entries (ZOR_PROGRAM_ENTRIES), with Win32 bindings only where the build is
# for Windows.
set(ZOR_ROOMS_DIR "${CMAKE_BINARY_DIR}/rooms")

function(zor_room name)
  cmake_parse_arguments(PARSE_ARGV 1 room "" "" "USES")
  set_property(GLOBAL APPEND PROPERTY ZOR_ROOMS ${name})
  set_property(GLOBAL PROPERTY ZOR_ROOM_USES_${name} ${room_USES})
endfunction()

function(zor_make_rooms)
  get_property(rooms GLOBAL PROPERTY ZOR_ROOMS)
  foreach(room IN LISTS rooms)
    zor_make_room(${room})
  endforeach()
endfunction()

function(zor_make_room name)
  get_property(room_USES GLOBAL PROPERTY ZOR_ROOM_USES_${name})
  # What the room may see: itself and everything below what it uses.
  set(seen ${name})
  set(todo ${room_USES})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST seen)
      list(APPEND seen ${next})
      get_property(uses GLOBAL PROPERTY ZOR_ROOM_USES_${next})
      list(APPEND todo ${uses})
    endif()
  endwhile()
  set(view "${ZOR_ROOMS_DIR}/${name}")
  file(REMOVE_RECURSE "${view}")
  file(MAKE_DIRECTORY "${view}")
  foreach(room IN LISTS seen)
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/src/${room}" "${view}/${room}" SYMBOLIC)
  endforeach()

  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/${name}/*.cpp")
  if(NOT WIN32)
    list(FILTER sources EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  if(sources AND ZOR_PROGRAM_ENTRIES)
    list(REMOVE_ITEM sources ${ZOR_PROGRAM_ENTRIES})
  endif()
  if(sources)
    add_library(zor_${name} STATIC ${sources})
    target_include_directories(zor_${name} PRIVATE "${view}")
    foreach(room IN LISTS room_USES)
      target_link_libraries(zor_${name} PUBLIC zor_${room})
    endforeach()
    if(WIN32)
      target_compile_options(zor_${name} PRIVATE ${ZOR_LEAN_OPTIONS})
    endif()
  else()
    add_library(zor_${name} INTERFACE)
    foreach(room IN LISTS room_USES)
      target_link_libraries(zor_${name} INTERFACE zor_${room})
    endforeach()
  endif()
endfunction()

# A program's entry, in its room's view, linking the rooms it needs.
function(zor_program_rooms target room)
  target_include_directories(${target} PRIVATE "${ZOR_ROOMS_DIR}/${room}")
  target_link_libraries(${target} PRIVATE zor_${room})
endfunction()
