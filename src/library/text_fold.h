// Letter case and accents as the library ignores them, on UTF-8 texts.
#ifndef TUNARO_LIBRARY_TEXT_FOLD_H_
#define TUNARO_LIBRARY_TEXT_FOLD_H_

#include <string>
#include <string_view>

namespace tunaro {

// The text as the page script's filter compares titles (fold() in
// assets/js/tunaro.js): lowercase as JavaScript's toLowerCase() makes it,
// final sigma included, then taken apart (NFD), without the combining
// accents U+0300 to U+036F. So a find of "muller" finds "Müller" just as the
// filter does. A byte that is not UTF-8 becomes U+FFFD.
std::string FoldForFind(std::string_view utf8);

// The character's simple uppercase, one for one, as Windows compares names
// (the Basic Multilingual Plane only; the rest stays).
char32_t SimpleUpper(char32_t code_point);

// The text with each character's simple uppercase: a key under which names
// that Windows takes for the same are the same.
std::string UpperKey(std::string_view utf8);

// Whether two UTF-8 texts are the same when letter case counts for nothing,
// as Windows takes file names.
bool SameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_TEXT_FOLD_H_
