# Cross build for 32-bit Windows with Debian's MinGW-w64. The win32 thread
# model: the program starts no threads, and the posix model's winpthreads
# imports GetTickCount64, which Windows before Vista lacks.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TUNARO_MINGW_TARGET i686-w64-mingw32)
set(TUNARO_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Stripped: the release archive ships this exe as built.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -s")
