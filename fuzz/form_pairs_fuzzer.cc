// The form pairs of a query string or a urlencoded body.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "cgi/form_pairs.h"
#include "fuzz_input.h"

namespace {

bool HasLetters(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t equals = static_cast<std::size_t>(std::count(text.begin(), text.end(), '='));
  const bool has_escapes = text.find('%') != std::string_view::npos;

  // A body parsed before the query string leaves its pairs in front.
  tunaro::FormPairs pairs;
  const bool start_empty = size % 3 == 0;
  if (!start_empty) {
    tunaro::ResetFormPairs(pairs);
    tunaro::ParsePairs("Earlier=pair", pairs);
  }
  const std::size_t before = pairs.size();
  try {
    tunaro::ParsePairs(text, pairs);
  } catch (const tunaro::RunError& error) {
    FUZZ_CHECK(error.number() == tunaro::error_number::kInvalidUrlData);
    FUZZ_CHECK(has_escapes);
  }
  FUZZ_CHECK(pairs.size() <= before + equals + (start_empty && equals > 0 ? 1 : 0));
  if (pairs.empty()) {
    FUZZ_CHECK(equals == 0);
    return 0;
  }
  FUZZ_CHECK(pairs[0].Name.empty() && pairs[0].Value.empty());
  if (!start_empty) FUZZ_CHECK(pairs[1].Name == "Earlier" && pairs[1].Value == "pair");

  std::string plain(text);
  std::replace(plain.begin(), plain.end(), '+', ' ');
  // Name lookups cost a pass over all pairs each: look at the first few.
  const std::size_t looked_at = std::min<std::size_t>(pairs.size(), 48);
  for (std::size_t i = 1; i < looked_at; ++i) {
    const tunaro::FormPair& pair = pairs[i];
    if (!has_escapes && i >= before) {
      // Without escapes a pair is two pieces of the text, split at its separators.
      FUZZ_CHECK(plain.find(pair.Name) != std::string::npos);
      FUZZ_CHECK(plain.find(pair.Value) != std::string::npos);
      FUZZ_CHECK(pair.Name.find('=') == std::string::npos);
      FUZZ_CHECK(pair.Value.find('&') == std::string::npos);
    }
    const std::string value = tunaro::FormValue(pairs, pair.Name);
    FUZZ_CHECK(value.find(pair.Value) != std::string::npos);
    if (HasLetters(pair.Name)) {
      FUZZ_CHECK(tunaro::FormValue(pairs, tunaro::ToLowerText(pair.Name)) == value);
      FUZZ_CHECK(tunaro::FormValue(pairs, tunaro::ToUpperText(pair.Name)) == value);
    }
  }
  return 0;
}
