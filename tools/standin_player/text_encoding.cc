#include "text_encoding.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace standin {

std::optional<std::string> AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return std::string();
  // A UTF-8 character of a BMP code point takes at most 3 bytes.
  if (ansi.size() > INT_MAX / 3) return std::nullopt;
  const int size = static_cast<int>(ansi.size());
  const int wide_size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(wide_size));
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), wide_size);
  const int utf8_size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(utf8_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, utf8.data(), utf8_size, nullptr, nullptr);
  return utf8;
}

}  // namespace standin
