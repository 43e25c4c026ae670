// Titles as the pages write them. The pages are in the system's ANSI code
// page; a title arrives as the player gave it (see player/status_records.h):
// that code page's bytes, or UTF-8 from the player's copy of its list. On the
// page it is HTML-escaped ("&amp;", "&lt;", "&gt;", "&quot;"), and a copy's
// character beyond ASCII is written as its bytes in the code page, or as a
// decimal reference ("&#321;") where the code page has none. A browser sends
// a chosen option's text back in the code page with the escapes undone, a
// character that its page's charset lacks as "&#N;" still.
#ifndef TUNARO_RENDER_PAGE_TEXT_H_
#define TUNARO_RENDER_PAGE_TEXT_H_

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace tunaro {

// A character's bytes in the ANSI code page; empty where it has none.
using AnsiCharacterFunction = std::function<std::string(char32_t code_point)>;

class PageText {
 public:
  explicit PageText(AnsiCharacterFunction ansi_character)
      : ansi_character_(std::move(ansi_character)) {}

  // Appends `title` as the page writes it; `utf8`: it is the copy's text.
  void AppendTitle(std::string& out, std::string_view title, bool utf8);
  std::string Title(std::string_view title, bool utf8) {
    std::string out;
    AppendTitle(out, title, utf8);
    return out;
  }
  // Appends the text a browser sends back for `title`.
  void AppendSentTitle(std::string& out, std::string_view title, bool utf8);

 private:
  template <bool kEscape>
  void AppendUtf8(std::string& out, std::string_view title);
  const std::string& PageCharacter(char32_t code_point);

  AnsiCharacterFunction ansi_character_;
  // What the system answered for each character so far: a long list repeats
  // its characters, and each answer is a conversion.
  std::unordered_map<char32_t, std::string> known_;
};

}  // namespace tunaro

#endif  // TUNARO_RENDER_PAGE_TEXT_H_
