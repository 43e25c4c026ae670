// Small text rules shared by the configuration, the player status and the
// form lookup. Texts are bytes of the ANSI code page; blanks and commas are
// never part of a wider character, and the case rules are for texts compared
// with ASCII words. Counting characters is CharacterRule's (base/characters.h).
#ifndef TUNARO_BASE_TEXT_RULES_H_
#define TUNARO_BASE_TEXT_RULES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tunaro {

// The text without the space characters at both ends (tabs stay).
std::string_view TrimBlanks(std::string_view text);

// The text with the letters a to z turned to A to Z.
std::string ToUpperText(std::string_view text);
std::string ToLowerText(std::string_view text);

// The characters after the first comma; the whole text when it has none.
std::string_view TextAfterFirstComma(std::string_view text);

// The text with every run of blanks, tabs, CRs, LFs and form feeds made one
// blank and none left at either end, into `out` (emptied first): a browser
// sends a list box option's text so.
void PutShownText(std::string_view text, std::string& out);

// Decimal digits of a number, with a leading "-" when it is negative.
std::string DecimalText(std::int64_t value);

}  // namespace tunaro

#endif  // TUNARO_BASE_TEXT_RULES_H_
