# The release archive for Windows users:
#
#   cmake --build --preset windows --target package
#
# makes build/windows/tunaro-<version>-win64.zip, laid out like the folders
# it goes into (see docs/DEPLOYMENT.md):
#
#   README.txt, DEPLOYMENT.md
#   cgi-bin/tunaro/         tunaro.exe, tunaro.conf (commented, ready to use),
#                           header.html, footer.html
#   cgi-bin/tunaro-panel/   tunaro.exe, tunaro.conf with "SSI 1" (the compact panel)
#   wwwroot/images/         the five button images and tunaro.js, the page
#                           script the shipped header loads
#   wwwroot/tunaro-panel.shtml   a sample page that includes the panel
#
# Only the component "tunaro" goes in: the stand-in player and the probe,
# built beside tunaro.exe for the tests, stay out.

set(_tunaro_source "${CMAKE_CURRENT_LIST_DIR}/..")
set(_tunaro_staged "${CMAKE_BINARY_DIR}/release-files")
file(MAKE_DIRECTORY "${_tunaro_staged}")

# Writes TEXT (any line ends) as the staged file NAME with Windows line ends
# (CR LF), whatever the checkout has: tunaro.conf is read line by line at
# CR LF, and the rest is for Notepad.
function(_tunaro_write_crlf name text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${_tunaro_staged}/${name}" "${text}")
endfunction()

function(_tunaro_stage_crlf in name)
  file(READ "${in}" text)
  _tunaro_write_crlf("${name}" "${text}")
  set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${in}")
endfunction()

_tunaro_stage_crlf("${_tunaro_source}/demo/tunaro.conf.sample" "tunaro.conf")
_tunaro_stage_crlf("${_tunaro_source}/demo/header.html" "header.html")
_tunaro_stage_crlf("${_tunaro_source}/demo/footer.html" "footer.html")
_tunaro_stage_crlf("${_tunaro_source}/docs/DEPLOYMENT.md" "DEPLOYMENT.md")
_tunaro_stage_crlf("${_tunaro_source}/docs/release-readme.txt" "README.txt")

# The guide shows the sample in full; it must be the same text.
file(READ "${_tunaro_source}/docs/DEPLOYMENT.md" _tunaro_guide)
file(READ "${_tunaro_source}/demo/tunaro.conf.sample" _tunaro_sample)
string(REPLACE "\r\n" "\n" _tunaro_sample "${_tunaro_sample}")
string(FIND "${_tunaro_guide}" "${_tunaro_sample}" _tunaro_found)
if(_tunaro_found EQUAL -1)
  message(WARNING "packaging: docs/DEPLOYMENT.md does not show demo/tunaro.conf.sample as it is")
endif()

# The panel's copy: the same settings with "SSI 1".
string(REPLACE "\r\n" "\n" _tunaro_conf "${_tunaro_sample}")
string(REPLACE "\nSSI 0\n" "\nSSI 1\n" _tunaro_panel_conf "${_tunaro_conf}")
if(_tunaro_panel_conf STREQUAL _tunaro_conf)
  message(FATAL_ERROR "packaging: demo/tunaro.conf.sample has no line \"SSI 0\" to turn into \"SSI 1\"")
endif()
_tunaro_write_crlf("tunaro-panel.conf" "${_tunaro_panel_conf}")

# The sample page, with the include line Apache's mod_include runs.
set(PANEL_INCLUDE "<!--#include virtual=\"/cgi-bin/tunaro-panel/tunaro\" -->")
configure_file("${_tunaro_source}/demo/index.shtml.in" "${_tunaro_staged}/tunaro-panel.shtml.lf" @ONLY)
_tunaro_stage_crlf("${_tunaro_staged}/tunaro-panel.shtml.lf" "tunaro-panel.shtml")

install(TARGETS tunaro RUNTIME DESTINATION cgi-bin/tunaro COMPONENT tunaro)
install(FILES "${_tunaro_staged}/tunaro.conf" "${_tunaro_staged}/header.html"
              "${_tunaro_staged}/footer.html"
        DESTINATION cgi-bin/tunaro COMPONENT tunaro)
install(TARGETS tunaro RUNTIME DESTINATION cgi-bin/tunaro-panel COMPONENT tunaro)
install(FILES "${_tunaro_staged}/tunaro-panel.conf" RENAME tunaro.conf
        DESTINATION cgi-bin/tunaro-panel COMPONENT tunaro)
install(FILES "${_tunaro_source}/assets/images/previous.gif" "${_tunaro_source}/assets/images/play.gif"
              "${_tunaro_source}/assets/images/pause.gif" "${_tunaro_source}/assets/images/stop.gif"
              "${_tunaro_source}/assets/images/forward.gif" "${_tunaro_source}/assets/js/tunaro.js"
        DESTINATION wwwroot/images COMPONENT tunaro)
install(FILES "${_tunaro_staged}/tunaro-panel.shtml" DESTINATION wwwroot COMPONENT tunaro)
install(FILES "${_tunaro_staged}/README.txt" "${_tunaro_staged}/DEPLOYMENT.md" DESTINATION . COMPONENT tunaro)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME tunaro)
set(CPACK_PACKAGE_VENDOR Tunaro)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tunaro, a web remote control for the Winamp media player")
set(CPACK_PACKAGE_FILE_NAME "tunaro-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
# Pack the component "tunaro" alone, into one archive.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};tunaro;tunaro;/")
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
include(CPack)
