#include "render/html_escape.h"

#include <algorithm>
#include <cstring>

namespace tunaro {
namespace {

constexpr char kEscaped[] = {'&', '<', '>', '"'};

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

void AppendHtmlEscaped(std::string& out, std::string_view text) {
  constexpr std::size_t kPiece = 256;
  char escaped[kPiece * kMostEscapedLength];
  for (std::size_t from = 0; from < text.size(); from += kPiece) {
    const char* const end = EscapeHtmlInto(escaped, text.substr(from, kPiece));
    out.append(escaped, static_cast<std::size_t>(end - escaped));
  }
}

HtmlEscapeSearch::HtmlEscapeSearch(std::string_view text) : text_(text) {
  for (std::size_t k = 0; k < next_.size(); ++k) {
    next_[k] = std::min(text_.find(kEscaped[k]), text_.size());
  }
}

std::size_t HtmlEscapeSearch::NextFrom(std::size_t from) {
  std::size_t first = text_.size();
  for (std::size_t k = 0; k < next_.size(); ++k) {
    if (next_[k] < from) {
      next_[k] = std::min(text_.find(kEscaped[k], from), text_.size());
    }
    first = std::min(first, next_[k]);
  }
  return first;
}

}  // namespace tunaro
