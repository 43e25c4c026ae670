// Decoding of urlencoded names and values.
#ifndef TUNARO_CGI_URL_DECODE_H_
#define TUNARO_CGI_URL_DECODE_H_

#include <string>
#include <string_view>

namespace tunaro {

// "+" becomes a blank, then every "%" with two hexadecimal digits (one when
// the text ends after it) becomes the character of that code. A decoded "%"
// is never decoded again, and an escaped "+" stays "+". An escape that is
// not hexadecimal, or a "%" at the very end, raises RunError 65001.
std::string UrlDecode(std::string_view text);

}  // namespace tunaro

#endif  // TUNARO_CGI_URL_DECODE_H_
