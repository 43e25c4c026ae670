#include "render/html_escape.h"

#include <array>
#include <cstring>

namespace tunaro {
namespace {

// The reference of each character that needs one; empty for the rest.
constexpr std::array<std::string_view, 256> kReferences = [] {
  std::array<std::string_view, 256> references{};
  references['&'] = "&amp;";
  references['<'] = "&lt;";
  references['>'] = "&gt;";
  references['"'] = "&quot;";
  return references;
}();

// memcpy, but also for an empty piece of text whose data may be null.
char* Put(char* out, const char* from, std::size_t size) {
  if (size != 0) std::memcpy(out, from, size);
  return out + size;
}

}  // namespace

char* EscapeHtmlInto(char* out, std::string_view text) {
  // Runs of plain characters go in whole: most titles are one such run.
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::string_view reference = kReferences[static_cast<unsigned char>(text[i])];
    if (reference.empty()) continue;
    out = Put(out, text.data() + plain, i - plain);
    out = Put(out, reference.data(), reference.size());
    plain = i + 1;
  }
  return Put(out, text.data() + plain, text.size() - plain);
}

std::string HtmlEscape(std::string_view text) {
  std::string out(text.size() * kMostEscapedLength, '\0');
  out.resize(static_cast<std::size_t>(EscapeHtmlInto(out.data(), text) - out.data()));
  return out;
}

}  // namespace tunaro
