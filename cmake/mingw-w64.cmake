# What the two MinGW-w64 toolchains share; each sets TUNARO_MINGW_TARGET (the
# compiler's target triplet) and TUNARO_MINGW_THREADS (its thread model,
# posix or win32) first, and may add link flags after.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TUNARO_MINGW_TARGET}-gcc-${TUNARO_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${TUNARO_MINGW_TARGET}-g++-${TUNARO_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${TUNARO_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TUNARO_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Link the runtime statically so each exe runs on its own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
