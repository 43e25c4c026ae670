// UrlDecode sees every name and value of the query string and the body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/run_error.h"
#include "cgi/url_decode.h"
#include "fuzz_input.h"

namespace {

// Every byte as an escape, so that decoding has to give the bytes back.
std::string EscapeEveryByte(std::string_view text, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 15];
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t percents = static_cast<std::size_t>(std::count(text.begin(), text.end(), '%'));
  std::string decoded;
  try {
    decoded = tunaro::UrlDecode(text);
  } catch (const tunaro::RunError& error) {
    FUZZ_CHECK(error.number() == tunaro::error_number::kInvalidUrlData);
    FUZZ_CHECK(percents > 0);  // only an escape can be malformed
    return 0;
  }
  FUZZ_CHECK(decoded.size() <= text.size());
  // Every "%" of a decodable text starts an escape of two digits, or of one
  // when it stands just before the end.
  const bool short_last = size >= 2 && text[size - 2] == '%';
  FUZZ_CHECK(decoded.size() == size - 2 * percents + (short_last ? 1 : 0));
  if (percents == 0) {
    std::string blanks(text);
    std::replace(blanks.begin(), blanks.end(), '+', ' ');
    FUZZ_CHECK(decoded == blanks);
  }
  FUZZ_CHECK(tunaro::UrlDecode(EscapeEveryByte(decoded, size % 2 == 0)) == decoded);
  return 0;
}
