// Making a text safe to stand in HTML content or a double-quoted attribute.
#ifndef TUNARO_RENDER_HTML_ESCAPE_H_
#define TUNARO_RENDER_HTML_ESCAPE_H_

#include <string>
#include <string_view>

namespace tunaro {

// "&", "<", ">" and the double quote as character references. Playlist titles
// come from media tags that anybody can write, so they pass through here.
std::string HtmlEscape(std::string_view text);

// The same, appended to `out`.
void AppendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace tunaro

#endif  // TUNARO_RENDER_HTML_ESCAPE_H_
