#include "base/win32_files.h"

#include <algorithm>
#include <limits>

#include "base/win32_closing_handle.h"

namespace tunaro {

RunError FileError(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return RunError(error_number::kFileNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return RunError(error_number::kPathNotFound);
    case ERROR_ACCESS_DENIED:
      return RunError(error_number::kPermissionDenied);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return RunError(error_number::kOutOfMemory);
    default:
      return RunError(error_number::kPathFileAccess);
  }
}

std::string ReadAndClose(HANDLE handle, std::size_t limit) {
  const ClosingHandle file(handle);
  std::string content;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    const auto wanted =
        std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart), limit);
    if (wanted > content.max_size()) throw RunError(error_number::kOutOfMemory);
    content.resize(static_cast<std::size_t>(wanted));
  }
  // Into the string while it has room; past its end (the file grew since its
  // size was taken) through a small buffer, so that the end of a file that
  // kept its size does not double the string's memory.
  std::size_t have = 0;
  char extra[4096];
  while (have < limit) {
    const bool room = have < content.size();
    char* into = room ? content.data() + have : extra;
    const DWORD want = room ? static_cast<DWORD>(std::min<std::size_t>(
                                  content.size() - have, std::numeric_limits<DWORD>::max() / 2))
                            : static_cast<DWORD>(std::min<std::size_t>(sizeof extra, limit - have));
    DWORD got = 0;
    if (!ReadFile(file.get(), into, want, &got, nullptr)) throw FileError(GetLastError());
    if (got == 0) break;
    if (!room) content.append(extra, got);
    have += got;
  }
  content.resize(have);
  return content;
}

}  // namespace tunaro
