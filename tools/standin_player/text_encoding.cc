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

std::string Utf8ToAnsi(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX / 2) return std::string();
  const int size = static_cast<int>(utf8.size());
  const int wide_size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::vector<wchar_t> wide(static_cast<std::size_t>(wide_size));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wide_size);
  // UTF-8 as the ANSI code page holds everything and takes neither the flag
  // nor a default character.
  const bool utf8_ansi = GetACP() == CP_UTF8;
  const DWORD flags = utf8_ansi ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* question = utf8_ansi ? nullptr : "?";
  const int ansi_size =
      WideCharToMultiByte(CP_ACP, flags, wide.data(), wide_size, nullptr, 0, question, nullptr);
  std::string ansi(static_cast<std::size_t>(ansi_size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide.data(), wide_size, ansi.data(), ansi_size, question,
                      nullptr);
  return ansi;
}

}  // namespace standin
