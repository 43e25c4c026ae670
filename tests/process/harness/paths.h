// Where the Windows programs are, and how Linux paths look from inside Wine.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_PATHS_H_
#define TUNARO_TESTS_PROCESS_HARNESS_PATHS_H_

#include <string>

#include "harness/temp_dir.h"

namespace harness {

// "/x/y" as a Windows program sees it: "Z:\x\y".
std::string WindowsPath(const std::string& linux_path);

// The reverse for paths on Z: ("Z:\x\y" -> "/x/y") and on C: (inside
// `prefix`/drive_c); empty for anything else.
std::string LinuxPath(const std::string& windows_path, const std::string& prefix);

// Directory of the cross-built exes: $TUNARO_WINDOWS_BIN_DIR when set, else
// the one configured at build time.
std::string WindowsBinDir();

// WindowsBinDir()/name.
std::string WindowsExe(const std::string& name);

// Copies WindowsBinDir()/exe_name into `dir` as `installed_name` (default:
// the same name) and returns its Linux path, so a test can put its own files
// (tunaro.conf, the playlist file) beside it. Adds a test failure and returns
// empty when the exe is missing.
std::string InstallExe(const TempDir& dir, const std::string& exe_name,
                       const std::string& installed_name = "");

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_PATHS_H_
