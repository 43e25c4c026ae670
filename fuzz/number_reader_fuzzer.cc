// The number reader behind CONTENT_LENGTH and SSIWIDTH, and its rounding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "base/number_reader.h"
#include "base/run_error.h"
#include "fuzz_input.h"

namespace {

bool SameNumber(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Rounds as the reader's callers do, and checks the outcome against the
// range alone: inside it (a half beyond either end included when it rounds
// back in) a result within one half, ties to even; outside it error 6.
template <typename Int, typename Round>
bool CheckRounding(double value, Round round, Int& result) {
  constexpr double low = std::numeric_limits<Int>::min();
  constexpr double high = std::numeric_limits<Int>::max();
  try {
    result = round(value);
  } catch (const tunaro::RunError& error) {
    FUZZ_CHECK(error.number() == tunaro::error_number::kOverflow);
    FUZZ_CHECK(!(value > low - 0.5 && value < high + 0.5));
    return false;
  }
  FUZZ_CHECK(std::isfinite(value));
  const double off = std::fabs(static_cast<double>(result) - value);
  FUZZ_CHECK(off <= 0.5);
  if (off == 0.5) FUZZ_CHECK(result % 2 == 0);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double value = tunaro::ReadLeadingNumber(text);
  FUZZ_CHECK(!std::isnan(value));

  // Blanks, tabs and line feeds count nowhere: neither taken out nor put in.
  std::string squeezed;
  std::string spaced;
  for (std::size_t i = 0; i < size; ++i) {
    if (!IsBlank(text[i])) squeezed.push_back(text[i]);
    spaced.push_back(" \t\n"[i % 3]);
    spaced.push_back(text[i]);
  }
  FUZZ_CHECK(SameNumber(tunaro::ReadLeadingNumber(squeezed), value));
  FUZZ_CHECK(SameNumber(tunaro::ReadLeadingNumber(spaced), value));

  // A minus in front of a number that has none negates it.
  if (!squeezed.empty() && ((squeezed[0] >= '0' && squeezed[0] <= '9') || squeezed[0] == '.')) {
    FUZZ_CHECK(tunaro::ReadLeadingNumber("-" + std::string(text)) == -value);
  }

  std::int32_t wide = 0;
  std::int16_t narrow = 0;
  const bool wide_ok = CheckRounding(value, tunaro::RoundToInt32, wide);
  if (CheckRounding(value, tunaro::RoundToInt16, narrow)) {
    FUZZ_CHECK(wide_ok && wide == narrow);
  }
  return 0;
}
