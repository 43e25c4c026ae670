#include "testing/player_model/handed_file.h"

#include <cstddef>
#include <cstdint>

#include "player/player_messages.h"

namespace player_model {
namespace {

constexpr std::size_t kAnsiRecord = tunaro::InsertPathUnits + 4;
constexpr std::size_t kWideRecord = tunaro::InsertPathUnits * 2 + 4;

void AppendUtf8(std::string& out, std::uint32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

std::uint32_t Unit(const std::string& bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

// The UTF-16 (little-endian) text of the first `units` units of `bytes`, up
// to its first NUL, as UTF-8.
std::string WidePath(const std::string& bytes, std::size_t units) {
  std::string path;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t unit = Unit(bytes, i * 2);
    if (unit == 0) break;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const std::uint32_t low = Unit(bytes, i * 2 + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(path, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
  }
  return path;
}

std::string AnsiPath(const std::string& bytes, std::size_t size) {
  const std::string part = bytes.substr(0, size);
  return part.substr(0, part.find('\0'));
}

long long IndexAt(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int k = 3; k >= 0; --k) value = value << 8 | static_cast<unsigned char>(bytes[at + k]);
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<HandedFile> ReadHandedFile(unsigned long long kind, const std::string& bytes,
                                         bool to_editor) {
  HandedFile file;
  if (!to_editor && kind == tunaro::AppendFileAnsi) {
    file.path = AnsiPath(bytes, bytes.size());
  } else if (!to_editor && kind == tunaro::AppendFileWide) {
    file.path = WidePath(bytes, bytes.size() / 2);
    file.wide = true;
  } else if (to_editor && kind == tunaro::InsertFileAnsi && bytes.size() == kAnsiRecord) {
    file.path = AnsiPath(bytes, tunaro::InsertPathUnits);
    file.insert = true;
    file.index = IndexAt(bytes, tunaro::InsertPathUnits);
  } else if (to_editor && kind == tunaro::InsertFileWide && bytes.size() == kWideRecord) {
    file.path = WidePath(bytes, tunaro::InsertPathUnits);
    file.wide = true;
    file.insert = true;
    file.index = IndexAt(bytes, tunaro::InsertPathUnits * 2);
  } else {
    return std::nullopt;
  }
  return file;
}

}  // namespace player_model
