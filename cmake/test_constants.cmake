# The one file the tests read for the player's message numbers and for Wine's
# variables: CMake writes it into the build tree when it configures (the test
# scripts read build/windows/test-constants.env, the process tests their own
# tree's). One NAME=value a line, nothing quoted, so that bash, Python,
# JavaScript and the process tests' harness all read it the same way, by
# splitting each line at its first "=":
#
#   player.Name=number   each "constexpr std::int32_t Name = number;" (and
#                        uint32_t) of src/player/player_messages.h
#   wine.NAME=value      a variable that every Wine process of the tests gets,
#                        beside the WINEPREFIX and TMPDIR that each run sets

# Wine's own messages off, and no offer to install Mono or Gecko.
set(TUNARO_TEST_WINE_VARIABLES "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=")

set(_tunaro_messages "${PROJECT_SOURCE_DIR}/src/player/player_messages.h")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_tunaro_messages}")
file(STRINGS "${_tunaro_messages}" _tunaro_lines REGEX "^constexpr std::u?int32_t [A-Za-z]+ = -?[0-9]+;")

set(_tunaro_text "# The player's message numbers and Wine's variables for the tests, written by\n")
string(APPEND _tunaro_text "# cmake/test_constants.cmake when CMake configures: do not edit.\n")
foreach(_tunaro_line IN LISTS _tunaro_lines)
  string(REGEX REPLACE "^constexpr std::u?int32_t ([A-Za-z]+) = (-?[0-9]+);.*" "player.\\1=\\2"
                       _tunaro_entry "${_tunaro_line}")
  string(APPEND _tunaro_text "${_tunaro_entry}\n")
endforeach()
foreach(_tunaro_variable IN LISTS TUNARO_TEST_WINE_VARIABLES)
  string(APPEND _tunaro_text "wine.${_tunaro_variable}\n")
endforeach()
if(NOT _tunaro_text MATCHES "\nplayer\\.CommandMessage=" OR NOT _tunaro_text MATCHES "\nplayer\\.QueryMessage=")
  message(FATAL_ERROR "${_tunaro_messages} no longer has its \"constexpr std::int32_t Name = number;\" "
                      "lines: the tests could not read the player's numbers")
endif()

set(TUNARO_TEST_CONSTANTS "${CMAKE_BINARY_DIR}/test-constants.env")
# Written only when it changes, so that nothing that reads it is rebuilt for nothing.
file(CONFIGURE OUTPUT "${TUNARO_TEST_CONSTANTS}" CONTENT "${_tunaro_text}" @ONLY)
