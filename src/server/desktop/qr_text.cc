#include "server/desktop/qr_text.h"

namespace tunaro::server {
namespace {

constexpr int kQuiet = 2;  // light modules around the code, enough for phone cameras

bool Light(int size, const std::function<bool(int, int)>& dark, int x, int y) {
  return x < 0 || y < 0 || x >= size || y >= size || !dark(x, y);
}

}  // namespace

std::vector<std::string> QrHalfBlockLines(int size, const std::function<bool(int, int)>& dark) {
  std::vector<std::string> lines;
  for (int y = -kQuiet; y < size + kQuiet; y += 2) {
    std::string line;
    for (int x = -kQuiet; x < size + kQuiet; ++x) {
      const bool top = Light(size, dark, x, y);
      const bool bottom = Light(size, dark, x, y + 1);
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

std::vector<std::string> QrAsciiLines(int size, const std::function<bool(int, int)>& dark) {
  std::vector<std::string> lines;
  for (int y = -kQuiet; y < size + kQuiet; ++y) {
    std::string line;
    for (int x = -kQuiet; x < size + kQuiet; ++x) line += Light(size, dark, x, y) ? "##" : "  ";
    lines.push_back(line);
  }
  return lines;
}

bool ConsoleNeedsAsciiQr(unsigned code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950;
}

}  // namespace tunaro::server
