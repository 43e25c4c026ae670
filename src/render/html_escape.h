// Making a text safe to stand in HTML content or a double-quoted attribute.
#ifndef TUNARO_RENDER_HTML_ESCAPE_H_
#define TUNARO_RENDER_HTML_ESCAPE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tunaro {

// "&", "<", ">" and the double quote as character references. Playlist titles
// come from media tags that anybody can write, so they pass through here.
std::string HtmlEscape(std::string_view text);

// The most characters one character takes once escaped ("&quot;").
constexpr std::size_t kMostEscapedLength = 6;

// Writes the escaped text at `out`, which has room for kMostEscapedLength
// characters for each of the text's; returns where it ended. For pages of
// many titles, which this keeps from building a string for each.
char* EscapeHtmlInto(char* out, std::string_view text);

}  // namespace tunaro

#endif  // TUNARO_RENDER_HTML_ESCAPE_H_
