#include "render/page_text.h"

#include "base/characters.h"
#include "render/html_escape.h"

namespace tunaro {
namespace {

// The code point of the UTF-8 character of `length` bytes at `at`, whose
// bytes CharacterRule has checked; a byte that is no character stands for
// U+FFFD.
char32_t CodePoint(const char* at, std::size_t length) {
  const auto first = static_cast<unsigned char>(*at);
  if (length == 1) return first < 0x80 ? first : 0xFFFD;
  char32_t value = first & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    value = (value << 6) | (static_cast<unsigned char>(at[k]) & 0x3F);
  }
  return value;
}

}  // namespace

void PageText::AppendTitle(std::string& out, std::string_view title, bool utf8) {
  if (utf8) {
    AppendUtf8<true>(out, title);
  } else {
    AppendHtmlEscaped(out, title);
  }
}

void PageText::AppendSentTitle(std::string& out, std::string_view title, bool utf8) {
  if (utf8) {
    AppendUtf8<false>(out, title);
  } else {
    out.append(title);
  }
}

template <bool kEscape>
void PageText::AppendUtf8(std::string& out, std::string_view title) {
  const CharacterRule characters = CharacterRule::Utf8();
  std::size_t ascii = 0;  // where the run of ASCII characters not yet written starts
  const auto write_ascii = [&](std::size_t end) {
    const std::string_view run = title.substr(ascii, end - ascii);
    if (kEscape) {
      AppendHtmlEscaped(out, run);
    } else {
      out.append(run);
    }
  };
  for (std::size_t pos = 0; pos < title.size();) {
    if (static_cast<unsigned char>(title[pos]) < 0x80) {
      ++pos;
      continue;
    }
    write_ascii(pos);
    const std::size_t length = characters.Length(title, pos);
    out += PageCharacter(CodePoint(title.data() + pos, length));
    pos += length;
    ascii = pos;
  }
  write_ascii(title.size());
}

const std::string& PageText::PageCharacter(char32_t code_point) {
  auto found = known_.find(code_point);
  if (found == known_.end()) {
    std::string bytes = ansi_character_(code_point);
    if (bytes.empty()) bytes = "&#" + std::to_string(static_cast<std::uint32_t>(code_point)) + ";";
    found = known_.emplace(code_point, std::move(bytes)).first;
  }
  return found->second;
}

}  // namespace tunaro
