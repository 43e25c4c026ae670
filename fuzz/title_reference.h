// A simple reference for the titles a page shows: the characters of a text
// in each kind of code page, the title of an entry, and its page form. The
// walk and the status fuzzers check the program against it.
#ifndef TUNARO_FUZZ_TITLE_REFERENCE_H_
#define TUNARO_FUZZ_TITLE_REFERENCE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_rules.h"
#include "fuzz_input.h"
#include "testing/fake_system.h"

namespace tunaro_fuzz {

// How the walk reads the text: by the code page of a Western Windows (one
// byte a character), of a Japanese one (932), of UTF-8 as the ANSI code page,
// or as the player's UTF-8 copy shown on a Western Windows.
enum Mode { kSingleByte, kDoubleByte, kUtf8CodePage, kUtf8Copy, kModes };

// The bytes of the UTF-8 character at the start of `text`, and its code
// point; 1 and U+FFFD for a byte that begins no valid character.
inline std::size_t Utf8Character(std::string_view text, char32_t& code_point) {
  const auto first = static_cast<unsigned char>(text[0]);
  code_point = 0xFFFD;
  if (first < 0x80) return code_point = first, 1;
  const std::size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 0;
  if (length == 0 || first > 0xF4 || text.size() < length) return 1;
  char32_t value = first & (0xFF >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    if ((next & 0xC0) != 0x80) return 1;
    value = value << 6 | (next & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < least[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 1;
  code_point = value;
  return length;
}

// The characters of `text`, each as its bytes.
inline std::vector<std::string_view> Characters(std::string_view text, Mode mode) {
  std::vector<std::string_view> characters;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    char32_t ignored;
    if (mode == kDoubleByte) {
      const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
      if (lead && i + 1 < text.size()) length = 2;
    } else if (mode != kSingleByte) {
      length = Utf8Character(text.substr(i), ignored);
    }
    characters.push_back(text.substr(i, length));
    i += length;
  }
  return characters;
}

inline std::string Join(const std::vector<std::string_view>& characters, std::size_t from) {
  std::string text;
  for (std::size_t k = from; k < characters.size(); ++k) text += characters[k];
  return text;
}

// The title of an entry before any cut: the text after the first comma of its
// information line, or the name of its file without folder and extension (the
// whole line when that leaves nothing).
inline std::string WholeTitle(const tunaro_fuzz::Entry& entry, Mode mode) {
  if (entry.has_info) return std::string(tunaro::TextAfterFirstComma(entry.info));
  std::vector<std::string_view> name = Characters(entry.file, mode);
  for (std::size_t k = name.size(); k-- > 0;) {
    if (name[k] == "\\" || name[k] == "/") {
      name.erase(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(k) + 1);
      break;
    }
  }
  for (std::size_t k = name.size(); k-- > 1;) {
    if (name[k] == ".") {
      name.resize(k);
      break;
    }
  }
  return name.empty() ? entry.file : Join(name, 0);
}

// What the page shows for a title in the file's text; without `escape`,
// what a browser sends back for it.
inline std::string PageForm(const std::vector<std::string_view>& characters, Mode mode,
                            tunaro::FakeSystem& system, bool escape = true) {
  std::string shown;
  for (std::string_view character : characters) {
    char32_t code_point = static_cast<unsigned char>(character[0]);
    if (mode == kUtf8Copy && (code_point >= 0x80 || character.size() > 1)) {
      Utf8Character(character, code_point);
      const std::string bytes = system.AnsiCharacter(code_point);
      shown += bytes.empty() ? "&#" + std::to_string(code_point) + ";" : bytes;
      continue;
    }
    for (char c : character) {
      shown += !escape    ? std::string(1, c)
               : c == '&' ? "&amp;"
               : c == '<' ? "&lt;"
               : c == '>' ? "&gt;"
               : c == '"' ? "&quot;"
                          : std::string(1, c);
    }
  }
  return shown;
}

// The last `width` characters of `text` (all of it for width 0), joined.
inline std::string LastCharacters(std::string_view text, std::int64_t width, Mode mode) {
  const std::vector<std::string_view> characters = Characters(text, mode);
  const std::size_t from = width > 0 && characters.size() > static_cast<std::size_t>(width)
                               ? characters.size() - static_cast<std::size_t>(width)
                               : 0;
  return Join(characters, from);
}

}  // namespace tunaro_fuzz

#endif  // TUNARO_FUZZ_TITLE_REFERENCE_H_
