// Making a text safe to stand in HTML content or a double-quoted attribute.
#ifndef TUNARO_RENDER_HTML_ESCAPE_H_
#define TUNARO_RENDER_HTML_ESCAPE_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tunaro {

// "&", "<", ">" and the double quote as character references. Playlist titles
// come from media tags that anybody can write, so they pass through here on
// their way into a page.
void AppendHtmlEscaped(std::string& out, std::string_view text);

// The most characters one character takes once escaped ("&quot;").
constexpr std::size_t kMostEscapedLength = 6;

// Writes the escaped text at `out`, which has room for kMostEscapedLength
// characters for each of the text's; returns where it ended. For pages of
// many titles, which this keeps from building a string for each.
char* EscapeHtmlInto(char* out, std::string_view text);

// Where the characters that need a reference stand in a long text, such as
// all the titles of a playlist end to end: most titles have none, and those
// go onto a page as they are. Each of the four is looked for with the C
// library's character search, again only once the one found is passed.
class HtmlEscapeSearch {
 public:
  explicit HtmlEscapeSearch(std::string_view text);
  // The first at `from` or after it; the text's size when there is none.
  std::size_t NextFrom(std::size_t from);

 private:
  std::string_view text_;
  std::array<std::size_t, 4> next_;  // of each of the four, at or after where it was last asked
};

}  // namespace tunaro

#endif  // TUNARO_RENDER_HTML_ESCAPE_H_
