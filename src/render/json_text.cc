#include "render/json_text.h"

namespace tunaro {
namespace {

void AppendUnicodeEscape(std::string& out, unsigned code) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(code >> shift) & 15];
}

}  // namespace

std::string JsonString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20 || byte == 0x7F || byte == '<' || byte == '>' || byte == '&') {
      AppendUnicodeEscape(out, byte);
    } else if (byte == 0xE2 && i + 2 < utf8.size() && utf8[i + 1] == '\x80' &&
               (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
      AppendUnicodeEscape(out, utf8[i + 2] == '\xA8' ? 0x2028 : 0x2029);
      i += 2;
    } else {
      out += static_cast<char>(byte);
    }
  }
  out += '"';
  return out;
}

}  // namespace tunaro
