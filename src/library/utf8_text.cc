#include "library/utf8_text.h"

namespace tunaro {

DecodedCharacter DecodeUtf8(std::string_view text, std::size_t pos) {
  DecodedCharacter out;
  const auto first = static_cast<unsigned char>(text[pos]);
  if (first < 0x80) {
    out.code_point = first;
    return out;
  }
  std::size_t length = 0;
  char32_t value = 0;
  if (first >= 0xC2 && first <= 0xDF) {
    length = 2;
    value = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    length = 3;
    value = first & 0x0F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    length = 4;
    value = first & 0x07;
  }
  out.valid = false;
  out.code_point = kReplacementCharacter;
  if (length == 0 || text.size() - pos < length) return out;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[pos + k]);
    if ((next & 0xC0) != 0x80) return out;
    value = (value << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
  if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) return out;
  out.code_point = value;
  out.length = length;
  out.valid = true;
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const DecodedCharacter c = DecodeUtf8(text, pos);
    if (!c.valid) return false;
    pos += c.length;
  }
  return true;
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const DecodedCharacter c = DecodeUtf8(text, pos);
    units += c.code_point >= 0x10000 ? 2 : 1;
    pos += c.length;
  }
  return units;
}

}  // namespace tunaro
