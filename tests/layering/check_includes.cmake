# The rooms of src/ and what each may include of the others: lower rooms never
# reach up, and the renderers see records, never the code that reads or
# fills them. Run as: cmake -DSOURCE_DIR=<src> -P check_includes.cmake
#
#   base/      base/ only
#   platform/  base/ and platform/
#   library/   base/, the seam (platform/system_interface.h) and library/
#   render/    base/, cgi/ (the response writer), render/, and of player/
#              and library/ only their records and the player's numbers
set(allowed_base "base/")
set(allowed_platform "base/|platform/")
set(allowed_library "base/|platform/system_interface\\.h|library/")
set(allowed_render
    "base/|cgi/response_writer\\.h|render/|player/status_records\\.h|player/title_list\\.h|player/player_messages\\.h|platform/system_interface\\.h|library/library_records\\.h")

set(failures "")
foreach(room base platform library render)
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
