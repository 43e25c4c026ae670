# The rooms of src/ and what each may include of the others: lower rooms never
# reach up, and the renderers see records, never the code that reads or
# fills them. Every folder of src/ that holds sources is a room and needs one
# allowed_<room> line here, a pattern of the paths its files may include: a
# new one (src/<room>/, src/server/<room>/) fails until it has one. Run as:
# cmake -DSOURCE_DIR=<src> -P check_includes.cmake
#
#   base/      base/ only
#   platform/  base/: the seam to the operating system
#   cgi/       base/ and platform/: the request and the response
#   player/    base/ and platform/: the player's messages, files and snapshot
#   library/   base/, the seam (platform/system_interface.h) and library/
#   render/    base/, cgi/ (the response writer), and of player/ and library/
#              only their records
#   app/       all of the above
#   testing/   base/, platform/, player/ (the fake plays the player's part)
#              and the server's seam; its player_model/ only the player's
#              numbers, so it cannot borrow the program's rules
#   server/<room>/: the layout of DEVELOPERS.md, each room the rooms below it
#              (system, access, runner, http, desktop, main)
set(allowed_base "base/")
set(allowed_platform "base/|platform/")
set(allowed_cgi "base/|platform/|cgi/")
set(allowed_player "base/|platform/|player/")
set(allowed_library "base/|platform/system_interface\\.h|library/")
set(allowed_render
    "base/|cgi/response_writer\\.h|render/|player/status_records\\.h|player/title_list\\.h|library/library_records\\.h")
set(allowed_app "base/|platform/|cgi/|player/|render/|library/|app/")
set(allowed_testing "base/|platform/|player/|testing/|server/system/")
set(allowed_testing/player_model "base/|player/player_messages\\.h|testing/player_model/")
set(allowed_server/system "base/|server/system/")
set(allowed_server/access "base/|server/system/|server/access/")
set(allowed_server/runner
    "base/|server/system/|server/access/address_allow\\.h|server/runner/")
set(allowed_server/http "base/|server/system/|server/access/|server/runner/|server/http/")
set(allowed_server/desktop
    "base/|server/system/|server/access/|server/runner/|server/http/|server/desktop/")
set(allowed_server/main "base/|server/")

set(failures "")
file(GLOB_RECURSE files "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cc")
foreach(file IN LISTS files)
  # The room is the file's folder under src/: "base", "server/access".
  file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
  get_filename_component(room "${relative}" DIRECTORY)
  if(NOT DEFINED allowed_${room})
    string(APPEND failures "  ${file}: its folder ${room}/ has no rule in check_includes.cmake\n")
    continue()
  endif()
  file(STRINGS "${file}" includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    if(NOT included MATCHES "^(${allowed_${room}})")
      string(APPEND failures "  ${file}: ${included}\n")
    endif()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "includes that reach out of their room, or rooms without a rule:\n${failures}")
endif()
message(STATUS "layering: every include stays within its room's reach")
