#include "player/title_form.h"

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

bool NeedsEscape(char c) { return c == '&' || c == '<' || c == '>' || c == '"'; }

}  // namespace

bool TitleForm::IsPageForm(std::string_view text) const {
  for (char c : text) {
    if (NeedsEscape(c) || (system_ != nullptr && static_cast<unsigned char>(c) >= 0x80)) {
      return false;
    }
  }
  return true;
}

const std::string& TitleForm::AnsiCharacter(char32_t code_point) {
  auto found = known_.find(code_point);
  if (found == known_.end()) {
    std::string bytes = system_->AnsiCharacter(code_point);
    if (bytes.empty()) bytes = "&#" + std::to_string(static_cast<std::uint32_t>(code_point)) + ";";
    found = known_.emplace(code_point, std::move(bytes)).first;
  }
  return found->second;
}

void TitleForm::PageForm(std::string_view text, std::string& out) {
  out.clear();
  if (system_ == nullptr) {
    out.resize(text.size() * kMostEscapedLength);
    out.resize(static_cast<std::size_t>(EscapeHtmlInto(out.data(), text) - out.data()));
    return;
  }
  char escaped[kMostEscapedLength];
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = characters_.Length(text, pos);
    const char* at = text.data() + pos;
    pos += length;
    if (static_cast<unsigned char>(*at) < 0x80) {
      out.append(escaped, static_cast<std::size_t>(EscapeHtmlInto(escaped, {at, 1}) - escaped));
    } else {
      out += AnsiCharacter(CodePoint(at, length));
    }
  }
}

std::string PostedFormOf(std::string_view page_form) {
  static constexpr std::string_view kNamed[][2] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}};
  std::string posted;
  posted.reserve(page_form.size());
  for (std::size_t pos = 0; pos < page_form.size();) {
    bool undone = false;
    if (page_form[pos] == '&') {
      for (const auto& named : kNamed) {
        if (page_form.substr(pos, named[0].size()) == named[0]) {
          posted += named[1];
          pos += named[0].size();
          undone = true;
          break;
        }
      }
    }
    if (!undone) posted += page_form[pos++];
  }
  return posted;
}

}  // namespace tunaro
