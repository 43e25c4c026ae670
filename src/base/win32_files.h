// Reading a file that is open, and the error that stands for a failed file
// operation: shared by the Win32 halves of tunaro.exe (platform/, ANSI paths)
// and tunaro-server.exe (server/system/, UTF-16 paths), which open their files
// each their own way.
#ifndef TUNARO_BASE_WIN32_FILES_H_
#define TUNARO_BASE_WIN32_FILES_H_

#include <windows.h>

#include <cstddef>
#include <string>

#include "base/run_error.h"

namespace tunaro {

constexpr std::size_t kWholeFile = static_cast<std::size_t>(-1);

// The RunError of the table (base/run_error.h) that stands for a Windows
// error code of a file operation: 53 for a missing file, 70 for a refusal, and
// so on; 75 for any other.
RunError FileError(DWORD code);

// Reads an open file to its end, or its first `limit` bytes, closes it, and
// raises FileError on a failed read.
std::string ReadAndClose(HANDLE handle, std::size_t limit = kWholeFile);

}  // namespace tunaro

#endif  // TUNARO_BASE_WIN32_FILES_H_
