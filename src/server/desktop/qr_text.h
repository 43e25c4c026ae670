// A QR code as lines of Unicode half blocks, two module rows per line.
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

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_QR_TEXT_H_
