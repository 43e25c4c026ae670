// The changes of encoding a current player makes: its UTF-8 playlist file
// holds the full text, its ANSI one what the ANSI code page can hold of it.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_TEXT_ENCODING_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_TEXT_ENCODING_H_

#include <optional>
#include <string>

namespace standin {

// Bytes of the ANSI code page as UTF-8, through UTF-16 as Windows converts;
// nothing for a text too long for one conversion (2 GiB and more).
std::optional<std::string> AnsiToUtf8(const std::string& ansi);

// UTF-8 as bytes of the ANSI code page, "?" for each character it does not
// hold (no look-alikes: "\u0141" is "?", not "L").
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_TEXT_ENCODING_H_
