# Brings the Windows programs that the process tests run up to date: tunaro.exe,
# the stand-in player and the probe, in BIN_DIR (build/windows unless the cache
# says otherwise). Run by ctest as the fixture of the process tests, so an edit
# of src/ is never tested through the exe of the build before it.
#
#   cmake -DSOURCE_DIR=... -DBIN_DIR=... -P build_windows_exes.cmake
if(NOT EXISTS "${BIN_DIR}/CMakeCache.txt")
  if(NOT BIN_DIR STREQUAL "${SOURCE_DIR}/build/windows")
    message(FATAL_ERROR "${BIN_DIR} is not configured; configure it for Windows first "
                        "(TUNARO_WINDOWS_BIN_DIR points there)")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --preset windows
                  WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE configured)
  if(NOT configured EQUAL 0)
    message(FATAL_ERROR "cmake --preset windows failed: the process tests have no exe to run")
  endif()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BIN_DIR}" --parallel 2
                        --target tunaro standin_player player_probe
                RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "building tunaro.exe, the stand-in player or the probe in ${BIN_DIR} failed: "
                      "the process tests would run an old exe, so they do not run")
endif()
