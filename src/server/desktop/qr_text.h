// A QR code's modules as text for the console: Unicode half blocks, two
// module rows a line, or, where the console draws those double-width, ASCII.
#ifndef TUNARO_SERVER_DESKTOP_QR_TEXT_H_
#define TUNARO_SERVER_DESKTOP_QR_TEXT_H_

#include <functional>
#include <string>
#include <vector>

namespace tunaro::server {

// `dark(x, y)` tells whether the module at x, y (0..size-1) is dark. The
// console draws light characters on a dark background, so light modules and
// the quiet zone are drawn, dark ones left blank. Lines are UTF-8.
std::vector<std::string> QrHalfBlockLines(int size, const std::function<bool(int, int)>& dark);

// One module row a line, each module two columns: "##" light, two blanks
// dark. For the consoles of Chinese, Japanese and Korean Windows, whose fonts
// draw the block characters two columns wide.
std::vector<std::string> QrAsciiLines(int size, const std::function<bool(int, int)>& dark);

// Whether a console of this output code page needs QrAsciiLines: 932, 936,
// 949 and 950, the double-byte ones.
bool ConsoleNeedsAsciiQr(unsigned code_page);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_QR_TEXT_H_
