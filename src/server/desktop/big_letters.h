// Text in large letters for the console: the pairing code, to be read from
// the sofa. Five lines of blocks, each letter five columns wide.
#ifndef TUNARO_SERVER_DESKTOP_BIG_LETTERS_H_
#define TUNARO_SERVER_DESKTOP_BIG_LETTERS_H_

#include <string>
#include <vector>

namespace tunaro::server {

constexpr int kBigLetterRows = 5;

// Whether `c` has a large letter: the pairing code's alphabet and '-'.
bool HasBigLetter(char c);

// The text's five lines (UTF-8, full blocks on blanks, two blanks between
// letters); a character without a large letter is left blank.
std::vector<std::string> BigLetterLines(const std::string& text);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_BIG_LETTERS_H_
