// Where the characters of a text begin, for the three kinds of ANSI code page
// Windows has: one byte a character (1252 and the like), one or two bytes
// (932, 936, 949, 950: the second byte may be any of 0x40 and up, the
// backslash among them), and UTF-8 (65001). Every search and cut that counts
// characters goes through here, so none splits one or takes a second byte
// for a character of its own. Header-only: the stand-in player shares it.
#ifndef TUNARO_BASE_CHARACTERS_H_
#define TUNARO_BASE_CHARACTERS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tunaro {

constexpr std::uint32_t kUtf8CodePage = 65001;

class CharacterRule {
 public:
  enum class Kind { kSingleByte, kDoubleByte, kUtf8 };

  // One byte a character.
  CharacterRule() = default;
  static CharacterRule Utf8() { return CharacterRule(Kind::kUtf8, {}); }
  // A code page by its number and the bytes that begin a two-byte character
  // in it (none in a single-byte code page, and none reported for UTF-8).
  static CharacterRule ForCodePage(std::uint32_t number, const std::array<bool, 256>& lead_bytes) {
    if (number == kUtf8CodePage) return Utf8();
    for (bool lead : lead_bytes) {
      if (lead) return CharacterRule(Kind::kDoubleByte, lead_bytes);
    }
    return CharacterRule();
  }

  Kind kind() const { return kind_; }
  bool single_byte() const { return kind_ == Kind::kSingleByte; }

  // The bytes of the character at `pos` (< text.size()). A lead byte at the
  // end, or a UTF-8 sequence that is not whole and valid, is a character of
  // one byte.
  std::size_t Length(std::string_view text, std::size_t pos) const {
    const auto first = static_cast<unsigned char>(text[pos]);
    const std::size_t left = text.size() - pos;
    if (kind_ == Kind::kDoubleByte) return lead_[first] && left >= 2 ? 2 : 1;
    if (kind_ == Kind::kSingleByte || first < 0x80) return 1;
    const std::size_t length = Utf8Length(first);
    if (length == 0 || left < length) return 1;
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if ((first == 0xE0 && second < 0xA0) || (first == 0xED && second > 0x9F) ||
        (first == 0xF0 && second < 0x90) || (first == 0xF4 && second > 0x8F)) {
      return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) return 1;
    }
    return length;
  }

  std::size_t Count(std::string_view text) const {
    if (single_byte()) return text.size();
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += Length(text, pos)) ++count;
    return count;
  }

  // The last `count` characters when the text has more, else the whole text.
  std::string_view LastCharacters(std::string_view text, std::size_t count) const {
    if (text.size() <= count) return text;
    if (single_byte()) return text.substr(text.size() - count);
    const std::size_t total = Count(text);
    if (total <= count) return text;
    std::size_t pos = 0;
    for (std::size_t skip = total - count; skip > 0; --skip) pos += Length(text, pos);
    return text.substr(pos);
  }

  // Where the last character that is one of the ASCII `characters` stands;
  // npos when there is none. Never a second byte of a wider character.
  std::size_t FindLastOf(std::string_view text, std::string_view characters) const {
    if (single_byte()) return text.find_last_of(characters);
    std::size_t found = std::string_view::npos;
    for (std::size_t pos = 0; pos < text.size(); pos += Length(text, pos)) {
      if (characters.find(text[pos]) != std::string_view::npos) found = pos;
    }
    return found;
  }

  // Where the text's last character begins; npos for an empty text.
  std::size_t LastCharacterStart(std::string_view text) const {
    if (text.empty()) return std::string_view::npos;
    if (single_byte()) return text.size() - 1;
    std::size_t pos = 0;
    while (pos + Length(text, pos) < text.size()) pos += Length(text, pos);
    return pos;
  }

  // True when the last character is a backslash or a slash.
  bool EndsWithSeparator(std::string_view text) const {
    const std::size_t last = LastCharacterStart(text);
    return last != std::string_view::npos && text.size() - last == 1 &&
           (text[last] == '\\' || text[last] == '/');
  }

 private:
  CharacterRule(Kind kind, const std::array<bool, 256>& lead) : kind_(kind), lead_(lead) {}

  static std::size_t Utf8Length(unsigned char first) {
    if (first >= 0xC2 && first <= 0xDF) return 2;
    if (first >= 0xE0 && first <= 0xEF) return 3;
    if (first >= 0xF0 && first <= 0xF4) return 4;
    return 0;
  }

  Kind kind_ = Kind::kSingleByte;
  std::array<bool, 256> lead_{};
};

}  // namespace tunaro

#endif  // TUNARO_BASE_CHARACTERS_H_
