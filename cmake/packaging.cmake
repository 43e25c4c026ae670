# The release archive for Windows users:
#
#   cmake --build --preset windows --target package
#
# makes build/windows/tunaro-<version>-win64.zip, laid out like the folders
# it goes into (see docs/DEPLOYMENT.md):
#
#   README.txt, DEPLOYMENT.md
#   tunaro-server.exe, tunaro-server-x86.exe   the web server for the folder
#                           (64-bit and 32-bit), with LICENSE-civetweb.txt and
#                           LICENSE-qrcodegen.txt, the licenses of the two
#                           libraries it is built from
#   LICENSE-taglib-MPL.txt, LICENSE-taglib-LGPL.txt   the two licenses TagLib
#                           (built into tunaro.exe for the pictures in audio
#                           files' tags) is offered under, either at the user's
#                           choice
#   cgi-bin/tunaro/         tunaro.exe, tunaro.conf (commented, ready to use),
#                           header.html, footer.html, charsets/header-<code page>.html,
#                           tunaro-x86.exe
#   cgi-bin/tunaro-panel/   tunaro.exe, tunaro.conf with "SSI 1" (the compact panel),
#                           tunaro-x86.exe
#   wwwroot/images/         the five button images and tunaro.js, the page
#                           script the shipped header loads; tunaro.webmanifest
#                           and its icons (icon-192.png, icon-512.png)
#   wwwroot/tunaro-panel.shtml   a sample page that includes the panel
#   wwwroot/pair.html       the page tunaro-server.exe shows a browser that is
#                           not paired yet (at /pair and in place of the remote)
#
# tunaro-x86.exe is the 32-bit build, for 32-bit Windows: build the
# windows-x86 preset first (cmake --preset windows-x86 && cmake --build
# --preset windows-x86), or packaging stops for want of it.
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
# The guide without its "<!-- tested: ... -->" lines: they mark the blocks
# tests/apache/run.sh takes from it, and mean nothing to a reader.
file(READ "${_tunaro_source}/docs/DEPLOYMENT.md" _tunaro_text)
string(REGEX REPLACE "<!-- tested: [^\n]*-->\r?\n" "" _tunaro_text "${_tunaro_text}")
_tunaro_write_crlf("DEPLOYMENT.md" "${_tunaro_text}")
set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                          "${_tunaro_source}/docs/DEPLOYMENT.md")
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

# The header once per ANSI code page a Windows may use, for
# cgi-bin/tunaro/charsets/header-<code page>.html: titles come in the machine's
# code page, and the page must name it. Each is header.html with only its
# charset changed, to the name browsers know for that code page.
set(_tunaro_charsets
    874=windows-874 932=shift_jis 936=gbk 949=euc-kr 950=big5 1250=windows-1250
    1251=windows-1251 1252=windows-1252 1253=windows-1253 1254=windows-1254 1255=windows-1255
    1256=windows-1256 1257=windows-1257 1258=windows-1258 65001=utf-8)
file(READ "${_tunaro_source}/demo/header.html" _tunaro_header)
string(FIND "${_tunaro_header}" "charset=windows-1252" _tunaro_found)
if(_tunaro_found EQUAL -1)
  message(FATAL_ERROR "packaging: demo/header.html has no \"charset=windows-1252\" to name other code pages by")
endif()
set(_tunaro_charset_headers)
foreach(_tunaro_pair IN LISTS _tunaro_charsets)
  string(REPLACE "=" ";" _tunaro_pair "${_tunaro_pair}")
  list(GET _tunaro_pair 0 _tunaro_code_page)
  list(GET _tunaro_pair 1 _tunaro_label)
  string(REPLACE "charset=windows-1252" "charset=${_tunaro_label}" _tunaro_text "${_tunaro_header}")
  _tunaro_write_crlf("charsets/header-${_tunaro_code_page}.html" "${_tunaro_text}")
  list(APPEND _tunaro_charset_headers "${_tunaro_staged}/charsets/header-${_tunaro_code_page}.html")
endforeach()

# The sample page, with the include line Apache's mod_include runs.
set(PANEL_INCLUDE "<!--#include virtual=\"/cgi-bin/tunaro-panel/tunaro\" -->")
configure_file("${_tunaro_source}/demo/index.shtml.in" "${_tunaro_staged}/tunaro-panel.shtml.lf" @ONLY)
_tunaro_stage_crlf("${_tunaro_staged}/tunaro-panel.shtml.lf" "tunaro-panel.shtml")

install(TARGETS tunaro RUNTIME DESTINATION cgi-bin/tunaro COMPONENT tunaro)
install(FILES "${_tunaro_staged}/tunaro.conf" "${_tunaro_staged}/header.html"
              "${_tunaro_staged}/footer.html"
        DESTINATION cgi-bin/tunaro COMPONENT tunaro)
install(FILES ${_tunaro_charset_headers} DESTINATION cgi-bin/tunaro/charsets COMPONENT tunaro)
install(TARGETS tunaro RUNTIME DESTINATION cgi-bin/tunaro-panel COMPONENT tunaro)
set(TUNARO_X86_EXE "${_tunaro_source}/build/windows-x86/tunaro.exe"
    CACHE FILEPATH "tunaro.exe of the windows-x86 preset, shipped as tunaro-x86.exe")
foreach(_tunaro_folder cgi-bin/tunaro cgi-bin/tunaro-panel)
  install(PROGRAMS "${TUNARO_X86_EXE}" RENAME tunaro-x86.exe DESTINATION ${_tunaro_folder}
          COMPONENT tunaro)
endforeach()
install(FILES "${_tunaro_staged}/tunaro-panel.conf" RENAME tunaro.conf
        DESTINATION cgi-bin/tunaro-panel COMPONENT tunaro)
install(FILES "${_tunaro_source}/assets/images/previous.gif" "${_tunaro_source}/assets/images/play.gif"
              "${_tunaro_source}/assets/images/pause.gif" "${_tunaro_source}/assets/images/stop.gif"
              "${_tunaro_source}/assets/images/forward.gif" "${_tunaro_source}/assets/js/tunaro.js"
        DESTINATION wwwroot/images COMPONENT tunaro)
# The web app manifest and its icons, which the shipped header names.
install(FILES "${_tunaro_source}/assets/images/tunaro.webmanifest" "${_tunaro_source}/assets/images/icon-192.png"
              "${_tunaro_source}/assets/images/icon-512.png"
        DESTINATION wwwroot/images COMPONENT tunaro)
install(FILES "${_tunaro_staged}/tunaro-panel.shtml" "${_tunaro_source}/assets/pages/pair.html"
        DESTINATION wwwroot COMPONENT tunaro)
install(FILES "${_tunaro_staged}/README.txt" "${_tunaro_staged}/DEPLOYMENT.md" DESTINATION . COMPONENT tunaro)

# The server at the top, beside the two folders it serves, with the license
# texts of CivetWeb (its LICENSE.md) and qrcodegen (the "License" section of
# its readme).
install(TARGETS tunaro_server RUNTIME DESTINATION . COMPONENT tunaro)
set(TUNARO_X86_SERVER_EXE "${_tunaro_source}/build/windows-x86/tunaro-server.exe"
    CACHE FILEPATH "tunaro-server.exe of the windows-x86 preset, shipped as tunaro-server-x86.exe")
install(PROGRAMS "${TUNARO_X86_SERVER_EXE}" RENAME tunaro-server-x86.exe DESTINATION .
        COMPONENT tunaro)
_tunaro_stage_crlf("${TUNARO_THIRD_PARTY}/civetweb/LICENSE.md" "LICENSE-civetweb.txt")
file(READ "${TUNARO_THIRD_PARTY}/qrcodegen/Readme.markdown" _tunaro_qr_readme)
string(FIND "${_tunaro_qr_readme}" "\nLicense\n-------\n" _tunaro_found)
if(_tunaro_found EQUAL -1)
  message(FATAL_ERROR "packaging: qrcodegen's Readme.markdown has no License section")
endif()
math(EXPR _tunaro_found "${_tunaro_found} + 17")
string(SUBSTRING "${_tunaro_qr_readme}" ${_tunaro_found} -1 _tunaro_qr_license)
_tunaro_write_crlf("LICENSE-qrcodegen.txt" "QR Code generator library (C), used by tunaro-server.exe\n\n${_tunaro_qr_license}")
install(FILES "${_tunaro_staged}/LICENSE-civetweb.txt" "${_tunaro_staged}/LICENSE-qrcodegen.txt"
        DESTINATION . COMPONENT tunaro)

# TagLib's two license texts, as its source has them.
_tunaro_stage_crlf("${TUNARO_THIRD_PARTY}/taglib/COPYING.MPL" "LICENSE-taglib-MPL.txt")
_tunaro_stage_crlf("${TUNARO_THIRD_PARTY}/taglib/COPYING.LGPL" "LICENSE-taglib-LGPL.txt")
install(FILES "${_tunaro_staged}/LICENSE-taglib-MPL.txt" "${_tunaro_staged}/LICENSE-taglib-LGPL.txt"
        DESTINATION . COMPONENT tunaro)

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
