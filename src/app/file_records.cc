#include "app/file_records.h"

#include "library/utf8_text.h"
#include "player/player_messages.h"

namespace tunaro {
namespace {

constexpr std::size_t kPathBytes = InsertPathUnits;

void AppendUnit(std::string& out, std::uint32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

// The index as the player's int: 32 bits, least significant byte first.
std::string IndexBytes(std::int32_t index) {
  const auto bits = static_cast<std::uint32_t>(index);
  std::string out;
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(bits >> shift);
  return out;
}

}  // namespace

std::string Utf16Bytes(std::string_view path) {
  std::string out;
  out.reserve(path.size() * 2);
  for (std::size_t pos = 0; pos < path.size();) {
    const DecodedCharacter c = DecodeUtf8(path, pos);
    if (c.code_point >= 0x10000) {
      AppendUnit(out, 0xD800 + ((c.code_point - 0x10000) >> 10));
      AppendUnit(out, 0xDC00 + ((c.code_point - 0x10000) & 0x3FF));
    } else {
      AppendUnit(out, c.code_point);
    }
    pos += c.length;
  }
  return out;
}

FileRecord FileRecords::Append(std::string_view path) {
  if (std::optional<std::string> ansi = Ansi(path)) {
    return FileRecord{AppendFileAnsi, *ansi + '\0', false};
  }
  return FileRecord{AppendFileWide, Utf16Bytes(path) + std::string(2, '\0'), true};
}

std::optional<FileRecord> FileRecords::Insert(std::string_view path, std::int32_t index) {
  FileRecord record;
  if (std::optional<std::string> ansi = Ansi(path); ansi && ansi->size() < kPathBytes) {
    record = FileRecord{InsertFileAnsi, *ansi, false};
    record.bytes.resize(kPathBytes, '\0');
  } else {
    record = FileRecord{InsertFileWide, Utf16Bytes(path), true};
    if (record.bytes.size() >= kPathBytes * 2) return std::nullopt;
    record.bytes.resize(kPathBytes * 2, '\0');
  }
  record.bytes += IndexBytes(index);
  return record;
}

std::optional<std::string> FileRecords::Ansi(std::string_view path) {
  std::string ansi;
  ansi.reserve(path.size());
  for (std::size_t pos = 0; pos < path.size();) {
    const auto byte = static_cast<unsigned char>(path[pos]);
    if (byte < 0x80) {
      ansi += path[pos++];
      continue;
    }
    const DecodedCharacter c = DecodeUtf8(path, pos);
    const std::string& bytes = AnsiCharacter(c.code_point);
    if (!c.valid || bytes.empty()) return std::nullopt;
    ansi += bytes;
    pos += c.length;
  }
  return ansi;
}

const std::string& FileRecords::AnsiCharacter(char32_t code_point) {
  auto found = known_.find(code_point);
  if (found == known_.end())
    found = known_.emplace(code_point, system_.AnsiCharacter(code_point)).first;
  return found->second;
}

}  // namespace tunaro
