#include "library/natural_order.h"

namespace tunaro {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the run of digits from `pos`, and where its value begins (past
// its leading zeros).
std::pair<std::size_t, std::size_t> DigitRun(std::string_view text, std::size_t pos) {
  while (pos < text.size() && text[pos] == '0') ++pos;
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return {pos, end};
}

int Sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

int CompareFoldedNaturally(std::string_view a, std::string_view raw_a, std::string_view b,
                           std::string_view raw_b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const auto [value_a, end_a] = DigitRun(a, i);
      const auto [value_b, end_b] = DigitRun(b, j);
      // More digits, a larger number; as many, the first digit that differs.
      if (end_a - value_a != end_b - value_b) return end_a - value_a < end_b - value_b ? -1 : 1;
      const int digits =
          a.substr(value_a, end_a - value_a).compare(b.substr(value_b, end_b - value_b));
      if (digits != 0) return Sign(digits);
      i = end_a;
      j = end_b;
      continue;
    }
    // UTF-8's bytes come in the order of the characters they make.
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[j]);
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return Sign(raw_a.compare(raw_b));
}

int CompareNaturally(std::string_view a, std::string_view b) {
  return CompareFoldedNaturally(FoldForFind(a), a, FoldForFind(b), b);
}

}  // namespace tunaro
