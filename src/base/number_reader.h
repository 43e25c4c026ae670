// Reading a number at the start of a text, as CONTENT_LENGTH and SSIWIDTH
// are read: forgiving about what follows the number, strict about range.
#ifndef TUNARO_BASE_NUMBER_READER_H_
#define TUNARO_BASE_NUMBER_READER_H_

#include <cstdint>
#include <string_view>

namespace tunaro {

// The number at the start of `text`. Blanks, tabs and line feeds are ignored
// anywhere; then an optional sign, digits, an optional decimal point with
// digits and an optional exponent (E or D), or a hexadecimal number after
// "&H" or an octal one after "&O". Reading stops at the first character that
// cannot continue the number; a text that starts with none gives 0.
double ReadLeadingNumber(std::string_view text);

// Rounds to the nearest whole number, a half going to the even neighbour.
// Raises RunError 6 (overflow) outside the target range.
std::int32_t RoundToInt32(double value);
std::int16_t RoundToInt16(double value);

}  // namespace tunaro

#endif  // TUNARO_BASE_NUMBER_READER_H_
