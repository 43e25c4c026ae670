#include "cgi/url_decode.h"

#include "base/run_error.h"

namespace tunaro {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;  // a "+" has become a blank by now and lands here too
}

[[noreturn]] void RaiseInvalidData() { throw RunError(error_number::kInvalidUrlData); }

}  // namespace

// One pass does what the two steps (all "+" first, then the escapes from
// left to right) do: the characters of an escape are read after their own
// "+" replacement, and decoded characters are never looked at again.
std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      out.push_back(' ');
      continue;
    }
    if (c != '%') {
      out.push_back(c);
      continue;
    }
    const std::size_t left = text.size() - i - 1;
    if (left == 0) RaiseInvalidData();
    int value = HexValue(text[i + 1]);
    if (value < 0) RaiseInvalidData();
    if (left >= 2) {
      const int low = HexValue(text[i + 2]);
      if (low < 0) RaiseInvalidData();
      value = value * 16 + low;
      i += 2;
    } else {
      i += 1;
    }
    out.push_back(static_cast<char>(value));
  }
  return out;
}

}  // namespace tunaro
