#include "render/html_escape.h"

namespace tunaro {

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendHtmlEscaped(out, text);
  return out;
}

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  // Runs of plain characters go in whole: most titles are one such run.
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* reference;
    switch (text[i]) {
      case '&':
        reference = "&amp;";
        break;
      case '<':
        reference = "&lt;";
        break;
      case '>':
        reference = "&gt;";
        break;
      case '"':
        reference = "&quot;";
        break;
      default:
        continue;
    }
    out.append(text.data() + plain, i - plain).append(reference);
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
}

}  // namespace tunaro
