// Text as a JSON string, safe to stand anywhere in a page as well.
#ifndef TUNARO_RENDER_JSON_TEXT_H_
#define TUNARO_RENDER_JSON_TEXT_H_

#include <string>
#include <string_view>

namespace tunaro {

// `utf8` in double quotes, with a backslash before '"' and '\', and the
// control characters (below 0x20, and 0x7F) as \u00XX. '<', '>' and '&' are
// \u003c, \u003e and \u0026 too, so "</script>" never appears, and U+2028 and
// U+2029 are \u2028 and \u2029, which older scripts take for line ends. Every
// other byte passes as it is: the text is UTF-8 already.
std::string JsonString(std::string_view utf8);

}  // namespace tunaro

#endif  // TUNARO_RENDER_JSON_TEXT_H_
