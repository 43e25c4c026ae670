// UTF-8 taken apart and put together: the music folders' names and paths
// cross the seam in it.
#ifndef TUNARO_LIBRARY_UTF8_TEXT_H_
#define TUNARO_LIBRARY_UTF8_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tunaro {

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct DecodedCharacter {
  char32_t code_point = 0;
  std::size_t length = 1;  // bytes taken
  bool valid = true;       // false: a byte that begins no character; code_point is U+FFFD
};

// The character at `pos` (< text.size()). An overlong form, a surrogate, a
// value past U+10FFFF or a sequence cut short is one invalid byte.
DecodedCharacter DecodeUtf8(std::string_view text, std::size_t pos);

void AppendUtf8(std::string& out, char32_t code_point);

bool IsValidUtf8(std::string_view text);

// The UTF-16 units of a valid text: how Windows counts a name's length.
std::size_t Utf16Length(std::string_view text);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_UTF8_TEXT_H_
