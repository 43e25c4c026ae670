# TagLib for the Windows build: Debian's source package (fetched and checked
# against its .dsc by scripts/fetch-third-party.sh, never edited), built as a
# static library by its own CMake with the same toolchain, into
# <build>/taglib. Defines the target tunaro_taglib to link against.
#
# Left out: its C bindings, examples and tests, and zlib (Debian's MinGW-w64
# has none; only compressed ID3v2 frames need it, and such a picture then
# reads as none).
include(ExternalProject)

set(TUNARO_THIRD_PARTY "${PROJECT_SOURCE_DIR}/build/third-party"
    CACHE PATH "where scripts/fetch-third-party.sh unpacks CivetWeb, qrcodegen and TagLib")
execute_process(COMMAND bash "${PROJECT_SOURCE_DIR}/scripts/fetch-third-party.sh"
                        "${TUNARO_THIRD_PARTY}" RESULT_VARIABLE _taglib_fetched)
if(NOT _taglib_fetched EQUAL 0)
  message(FATAL_ERROR "scripts/fetch-third-party.sh failed: no TagLib source")
endif()

set(_taglib_source "${TUNARO_THIRD_PARTY}/taglib")
set(_taglib_prefix "${CMAKE_BINARY_DIR}/taglib")
set(_taglib_library "${_taglib_prefix}/lib/libtag.a")

# Debian's patches have TagLib take UTF8-CPP from the system ("utf8/checked.h");
# the copy in its own source tree stands in for it.
file(WRITE "${_taglib_prefix}/utf8cpp/utf8/checked.h"
     "#include \"${_taglib_source}/3rdparty/utf8-cpp/checked.h\"\n")

ExternalProject_Add(tunaro_taglib_build
  SOURCE_DIR "${_taglib_source}"
  BINARY_DIR "${_taglib_prefix}/build"
  INSTALL_DIR "${_taglib_prefix}"
  CMAKE_ARGS
    "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}"
    -DCMAKE_BUILD_TYPE=MinSizeRel
    "-DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>"
    -DCMAKE_INSTALL_LIBDIR=lib
    "-DCMAKE_CXX_FLAGS=-w -ffunction-sections -fdata-sections -I${_taglib_prefix}/utf8cpp"
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_BINDINGS=OFF
    -DBUILD_EXAMPLES=OFF
    -DBUILD_TESTING=OFF
    -DWITH_ZLIB=OFF
  # The compiler cache of our own build, if any (a list: CMAKE_CACHE_ARGS keeps it whole).
  CMAKE_CACHE_ARGS "-DCMAKE_CXX_COMPILER_LAUNCHER:STRING=${CMAKE_CXX_COMPILER_LAUNCHER}"
  BUILD_BYPRODUCTS "${_taglib_library}")

file(MAKE_DIRECTORY "${_taglib_prefix}/include")
add_library(tunaro_taglib INTERFACE)
add_dependencies(tunaro_taglib tunaro_taglib_build)
target_link_libraries(tunaro_taglib INTERFACE "${_taglib_library}")
target_include_directories(tunaro_taglib SYSTEM INTERFACE "${_taglib_prefix}/include")
# Its headers declare nothing as imported from a DLL.
target_compile_definitions(tunaro_taglib INTERFACE TAGLIB_STATIC)
