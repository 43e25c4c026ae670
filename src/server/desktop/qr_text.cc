#include "server/desktop/qr_text.h"

namespace tunaro::server {

std::vector<std::string> QrHalfBlockLines(int size, const std::function<bool(int, int)>& dark) {
  constexpr int kQuiet = 2;  // light modules around the code, enough for phone cameras
  auto light = [&](int x, int y) {
    return x < 0 || y < 0 || x >= size || y >= size || !dark(x, y);
  };
  std::vector<std::string> lines;
  for (int y = -kQuiet; y < size + kQuiet; y += 2) {
    std::string line;
    for (int x = -kQuiet; x < size + kQuiet; ++x) {
      const bool top = light(x, y);
      const bool bottom = light(x, y + 1);
      if (top && bottom) {
        line += "\xe2\x96\x88";  // full block
      } else if (top) {
        line += "\xe2\x96\x80";  // upper half block
      } else if (bottom) {
        line += "\xe2\x96\x84";  // lower half block
      } else {
        line += ' ';
      }
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace tunaro::server
