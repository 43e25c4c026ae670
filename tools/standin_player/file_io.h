// Whole-file reads and writes through the Win32 API, so the bytes on disk are
// exactly the bytes given (no text-mode translation) and a file is closed
// before the caller goes on.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_FILE_IO_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_FILE_IO_H_

#include <optional>
#include <string>

namespace standin {

std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's contents; true when every byte was written.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Writes `bytes` to `path` under a temporary name first, then renames it, so
// a reader polling for the file never sees it half written.
bool PublishFile(const std::string& path, const std::string& bytes);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_FILE_IO_H_
