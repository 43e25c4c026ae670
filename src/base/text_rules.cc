#include "base/text_rules.h"

namespace tunaro {

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string ToUpperText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string ToLowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string_view TextAfterFirstComma(std::string_view text) {
  std::size_t comma = text.find(',');
  return comma == std::string_view::npos ? text : text.substr(comma + 1);
}

namespace {

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

}  // namespace

void PutShownText(std::string_view text, std::string& out) {
  out.clear();
  bool space = false;
  for (char c : text) {
    if (IsHtmlSpace(c)) {
      space = !out.empty();
      continue;
    }
    if (space) out.push_back(' ');
    space = false;
    out.push_back(c);
  }
}

std::string DecimalText(std::int64_t value) { return std::to_string(value); }

}  // namespace tunaro
