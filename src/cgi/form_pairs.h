// The decoded form fields of a request: urlencoded texts split into
// name/value pairs, and lookup by name.
#ifndef TUNARO_CGI_FORM_PAIRS_H_
#define TUNARO_CGI_FORM_PAIRS_H_

#include <string>
#include <string_view>
#include <vector>

namespace tunaro {

struct FormPair {
  std::string Name;
  std::string Value;
};

// Slot 0 is never filled or searched; pairs stand in slots 1 upward, in the
// order parsed. Slots reserved for an "=" that began no pair stay empty.
using FormPairs = std::vector<FormPair>;

// Empties the table to its one unused slot.
void ResetFormPairs(FormPairs& pairs);

// Appends the pairs of an urlencoded text. The text is split at "=" and "&"
// before each part is decoded, so escaped separators do not split. Raises
// RunError 65001 for a malformed escape; pairs stored before it stay.
void ParsePairs(std::string_view text, FormPairs& pairs);

// The values of every pair whose name matches `name` without regard to
// letter case, joined with ";"; empty text when none matches.
std::string FormValue(const FormPairs& pairs, std::string_view name);

}  // namespace tunaro

#endif  // TUNARO_CGI_FORM_PAIRS_H_
