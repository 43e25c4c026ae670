#include "harness/paths.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "harness/files.h"

namespace harness {

std::string WindowsPath(const std::string& linux_path) {
  std::string path = "Z:" + linux_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string LinuxPath(const std::string& windows_path, const std::string& prefix) {
  if (windows_path.size() < 3 || windows_path[1] != ':' || windows_path[2] != '\\') return "";
  std::string rest = windows_path.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  switch (std::toupper(static_cast<unsigned char>(windows_path[0]))) {
    case 'Z':
      return rest;
    case 'C':
      return prefix + "/drive_c" + rest;
    default:
      return "";
  }
}

std::string WindowsBinDir() {
  const char* from_environment = std::getenv("TUNARO_WINDOWS_BIN_DIR");
  if (from_environment != nullptr && *from_environment != '\0') return from_environment;
  return TUNARO_WINDOWS_BIN_DIR;
}

std::string WindowsExe(const std::string& name) { return WindowsBinDir() + "/" + name; }

std::string InstallExe(const TempDir& dir, const std::string& exe_name,
                       const std::string& installed_name) {
  const std::string from = WindowsExe(exe_name);
  const std::string to = dir.Path(installed_name.empty() ? exe_name : installed_name);
  if (!FileExists(from)) {
    ADD_FAILURE() << from << " is missing: build the windows preset first "
                  << "(cmake --preset windows && cmake --build --preset windows)";
    return "";
  }
  if (!CopyFile(from, to)) {
    ADD_FAILURE() << "cannot copy " << from << " to " << to;
    return "";
  }
  return to;
}

}  // namespace harness
