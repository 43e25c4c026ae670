#include "library/library_path.h"

#include <algorithm>

#include "library/utf8_text.h"

namespace tunaro {
namespace {

constexpr std::size_t kLongestPath = 32767;
constexpr std::size_t kLongestName = 255;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

// CON, NUL, COM1 and the like name a device in every folder, whatever
// extension follows ("nul.txt"), and blanks before the dot count for nothing.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (SameAscii(base, device)) return true;
  }
  if (base.size() < 4 ||
      !(SameAscii(base.substr(0, 3), "COM") || SameAscii(base.substr(0, 3), "LPT"))) {
    return false;
  }
  const std::string_view digit = base.substr(3);
  // A digit, or a superscript one, two or three (as Windows counts them too).
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

PathFault CheckCharacters(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return PathFault::kControlCharacter;
    if (c == '\\') return PathFault::kBackslash;
    if (c == ':') return PathFault::kColon;
    if (c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') {
      return PathFault::kReservedCharacter;
    }
  }
  return IsValidUtf8(text) ? PathFault::kNone : PathFault::kNotUtf8;
}

// The rules of one name once its characters have passed.
PathFault CheckNameShape(std::string_view name) {
  if (name.empty()) return PathFault::kEmptyName;
  if (name == "..") return PathFault::kDotDot;
  if (name.back() == '.' || name.back() == ' ') return PathFault::kTrailingDotOrBlank;
  if (IsDeviceName(name)) return PathFault::kDeviceName;
  if (name.size() > kLongestName && Utf16Length(name) > kLongestName)
    return PathFault::kNameTooLong;
  return PathFault::kNone;
}

}  // namespace

PathFault CheckName(std::string_view name) {
  if (name.find('/') != std::string_view::npos) return PathFault::kReservedCharacter;
  const PathFault fault = CheckCharacters(name);
  return fault != PathFault::kNone ? fault : CheckNameShape(name);
}

PathReading ReadLibraryPath(std::string_view text) {
  PathReading reading;
  if (text.size() > kLongestPath) {
    reading.fault = PathFault::kPathTooLong;
    return reading;
  }
  reading.fault = CheckCharacters(text);
  if (reading.fault != PathFault::kNone) return reading;

  const std::string_view number = text.substr(0, text.find('/'));
  std::size_t value = 0;
  bool is_number = !number.empty() && number.size() <= 4 && number[0] != '0';
  for (std::size_t i = 0; is_number && i < number.size(); ++i) {
    is_number = number[i] >= '0' && number[i] <= '9';
    value = value * 10 + static_cast<std::size_t>(number[i] - '0');
  }
  if (!is_number) {
    reading.fault = PathFault::kNoFolderNumber;
    return reading;
  }
  reading.path.folder = value - 1;
  for (std::size_t start = number.size(); start < text.size();) {
    const std::size_t end = std::min(text.find('/', start + 1), text.size());
    const std::string_view name = text.substr(start + 1, end - start - 1);
    reading.fault = CheckNameShape(name);
    if (reading.fault != PathFault::kNone) {
      reading.path = LibraryPath{};
      return reading;
    }
    reading.path.names.emplace_back(name);
    start = end;
  }
  return reading;
}

std::string_view PathFaultText(PathFault fault) {
  switch (fault) {
    case PathFault::kNone:
      return "";
    case PathFault::kNoFolderNumber:
      return "the path does not start with a music folder's number";
    case PathFault::kPathTooLong:
      return "the path is too long";
    case PathFault::kControlCharacter:
      return "the path holds a control character";
    case PathFault::kBackslash:
      return "the path holds a backslash: use forward slashes";
    case PathFault::kColon:
      return "the path holds a colon";
    case PathFault::kReservedCharacter:
      return "the path holds one of * ? \" < > |";
    case PathFault::kNotUtf8:
      return "the path is not UTF-8";
    case PathFault::kEmptyName:
      return "the path holds an empty name";
    case PathFault::kDotDot:
      return "the path holds a \"..\" name";
    case PathFault::kTrailingDotOrBlank:
      return "a name in the path ends in a dot or a blank";
    case PathFault::kDeviceName:
      return "a name in the path is a device name";
    case PathFault::kNameTooLong:
      return "a name in the path is longer than 255 characters";
  }
  return "the path is refused";
}

std::string LibraryPathText(const LibraryPath& path) {
  std::string text = std::to_string(path.folder + 1);
  for (const std::string& name : path.names) text.append("/").append(name);
  return text;
}

}  // namespace tunaro
