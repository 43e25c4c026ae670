# The rooms of src/ and what each may include of the others: lower rooms never
# reach up, and the renderers see records, never the code that reads or
# fills them. Each room has one allowed_<room> line, a pattern of the paths
# its files may include, and every room with a line is checked. Run as:
# cmake -DSOURCE_DIR=<src> -P check_includes.cmake
#
#   base/      base/ only
#   platform/  base/: the seam to the operating system
#   cgi/       base/ and platform/: the request and the response
#   player/    base/ and platform/: the player's messages, files and snapshot
#   render/    base/, cgi/ (the response writer) and of player/ only its
#              records
#   app/       all of the above
#   testing/   base/, platform/, and of player/ its numbers and the playlist
#              file's name: the fake plays the player's part
set(allowed_base "base/")
set(allowed_platform "base/|platform/")
set(allowed_cgi "base/|platform/|cgi/")
set(allowed_player "base/|platform/|player/")
set(allowed_render "base/|cgi/response_writer\\.h|render/|player/status_records\\.h|player/title_list\\.h")
set(allowed_app "base/|platform/|cgi/|player/|render/|app/")
set(allowed_testing "base/|platform/|player/player_messages\\.h|player/playlist_path\\.h|testing/")

get_cmake_property(variables VARIABLES)
set(failures "")
foreach(variable IN LISTS variables)
  if(NOT variable MATCHES "^allowed_(.+)$")
    continue()
  endif()
  set(room "${CMAKE_MATCH_1}")
  file(GLOB files "${SOURCE_DIR}/${room}/*.h" "${SOURCE_DIR}/${room}/*.cc")
  foreach(file IN LISTS files)
    file(STRINGS "${file}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
      if(NOT included MATCHES "^(${allowed_${room}})")
        string(APPEND failures "  ${file}: ${included}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "includes that reach out of their room:\n${failures}")
endif()
message(STATUS "layering: every include stays within its room's reach")
