#include "base/number_reader.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "base/run_error.h"

namespace tunaro {
namespace {

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text with the ignored characters taken out.
std::string Squeeze(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (!IsIgnored(c)) out.push_back(c);
  }
  return out;
}

int DigitValue(char c, int radix) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < radix ? value : -1;
}

double ReadRadix(const std::string& s, std::size_t pos, int radix) {
  double value = 0;
  for (; pos < s.size(); ++pos) {
    int digit = DigitValue(s[pos], radix);
    if (digit < 0) break;
    value = value * radix + digit;  // grows to infinity, never wraps
  }
  return value;
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  const std::string s = Squeeze(text);
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return ReadRadix(s, 2, 16);
    if (s[1] == 'O' || s[1] == 'o') return ReadRadix(s, 2, 8);
    return 0;
  }
  // Copy the longest prefix that has the decimal form, then let strtod
  // convert exactly that much (it sees no hexadecimal, infinity or locale).
  std::string number;
  std::size_t pos = 0;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) number.push_back(s[pos++]);
  bool has_digits = false;
  while (pos < s.size() && IsDigit(s[pos])) {
    number.push_back(s[pos++]);
    has_digits = true;
  }
  if (pos < s.size() && s[pos] == '.') {
    number.push_back(s[pos++]);
    while (pos < s.size() && IsDigit(s[pos])) {
      number.push_back(s[pos++]);
      has_digits = true;
    }
  }
  if (!has_digits) return 0;
  if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e' || s[pos] == 'D' || s[pos] == 'd')) {
    std::size_t exponent = pos + 1;
    std::string tail = "e";
    if (exponent < s.size() && (s[exponent] == '+' || s[exponent] == '-')) {
      tail.push_back(s[exponent++]);
    }
    if (exponent < s.size() && IsDigit(s[exponent])) {
      while (exponent < s.size() && IsDigit(s[exponent])) tail.push_back(s[exponent++]);
      number += tail;
    }
  }
  return std::strtod(number.c_str(), nullptr);
}

namespace {

double RoundHalfEven(double value, double low, double high) {
  if (!std::isfinite(value)) throw RunError(error_number::kOverflow);
  // nearbyint rounds to nearest with ties to even in the default mode.
  double rounded = std::nearbyint(value);
  if (rounded < low || rounded > high) throw RunError(error_number::kOverflow);
  return rounded;
}

}  // namespace

std::int32_t RoundToInt32(double value) {
  return static_cast<std::int32_t>(RoundHalfEven(value, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max()));
}

std::int16_t RoundToInt16(double value) {
  return static_cast<std::int16_t>(RoundHalfEven(value, std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max()));
}

}  // namespace tunaro
