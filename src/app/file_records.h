// The WM_COPYDATA records that hand a file to the player (their kinds are in
// player/player_messages.h): its path in the ANSI code page when the code
// page has every character of it, else in UTF-16, which only current players
// take.
#ifndef TUNARO_APP_FILE_RECORDS_H_
#define TUNARO_APP_FILE_RECORDS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/system_interface.h"

namespace tunaro {

struct FileRecord {
  std::int32_t kind = 0;
  std::string bytes;
  bool wide = false;  // the path is in UTF-16
};

class FileRecords {
 public:
  explicit FileRecords(SystemInterface& system) : system_(system) {}

  // The path (UTF-8), NUL-ended: AppendFileAnsi or AppendFileWide.
  FileRecord Append(std::string_view path);
  // {char file[260]; int index;} (InsertFileAnsi) or {wchar_t file[260];
  // int index;} (InsertFileWide), the path NUL-ended and the rest zeros, the
  // index in the player's byte order; nothing for a path that fills neither
  // (longer than 259 characters).
  std::optional<FileRecord> Insert(std::string_view path, std::int32_t index);

 private:
  // The path in the ANSI code page; nothing when it lacks a character.
  std::optional<std::string> Ansi(std::string_view path);
  const std::string& AnsiCharacter(char32_t code_point);

  SystemInterface& system_;
  // A folder's paths share most of their characters, and each answer is a
  // conversion.
  std::unordered_map<char32_t, std::string> known_;
};

// The path (UTF-8) in UTF-16, little-endian, without a NUL.
std::string Utf16Bytes(std::string_view path);

}  // namespace tunaro

#endif  // TUNARO_APP_FILE_RECORDS_H_
