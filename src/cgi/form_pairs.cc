#include "cgi/form_pairs.h"

#include <algorithm>

#include "base/text_rules.h"
#include "cgi/url_decode.h"

namespace tunaro {

void ResetFormPairs(FormPairs& pairs) { pairs.assign(1, FormPair{}); }

void ParsePairs(std::string_view text, FormPairs& pairs) {
  const std::size_t reserved = static_cast<std::size_t>(std::count(text.begin(), text.end(), '='));
  if (reserved == 0) return;
  if (pairs.empty()) pairs.resize(1);  // slot 0 always exists
  // One slot per "=", reserved up front: a value may hold "=" too, so some
  // stay empty.
  std::size_t slot = pairs.size();
  pairs.resize(pairs.size() + reserved);
  const std::size_t last_slot = pairs.size() - 1;

  std::size_t start = 0;
  for (; slot <= last_slot; ++slot) {
    if (start > text.size()) break;
    const std::size_t equals = text.find('=', start);
    if (equals == std::string_view::npos) break;
    std::size_t end = text.find('&', equals + 1);
    if (end == std::string_view::npos) end = text.size();
    pairs[slot].Name = UrlDecode(text.substr(start, equals - start));
    pairs[slot].Value = UrlDecode(text.substr(equals + 1, end - equals - 1));
    start = end + 1;
  }
}

std::string FormValue(const FormPairs& pairs, std::string_view name) {
  const std::string wanted = ToUpperText(name);
  std::string result;
  for (std::size_t i = 1; i < pairs.size(); ++i) {
    if (ToUpperText(pairs[i].Name) != wanted) continue;
    if (result.empty()) {
      result = pairs[i].Value;
    } else {
      result += ';';
      result += pairs[i].Value;
    }
  }
  return result;
}

}  // namespace tunaro
