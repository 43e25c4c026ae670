// The ANSI code page's half of the Win32 seam: which bytes begin a character,
// and exact conversions of single characters.
#include <windows.h>

#include "platform/win32_system.h"

namespace tunaro {

AnsiCodePageInfo Win32System::AnsiCodePage() {
  if (!code_page_) {
    AnsiCodePageInfo info;
    info.number = GetACP();
    for (unsigned b = 0; b < 256; ++b) {
      info.lead_bytes[b] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b)) != 0;
    }
    code_page_ = info;
  }
  return *code_page_;
}

std::string Win32System::AnsiCharacter(char32_t code_point) {
  if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) return {};
  wchar_t wide[2];
  int wide_size = 1;
  if (code_point >= 0x10000) {
    wide[0] = static_cast<wchar_t>(0xD800 + ((code_point - 0x10000) >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + ((code_point - 0x10000) & 0x3FF));
    wide_size = 2;
  } else {
    wide[0] = static_cast<wchar_t>(code_point);
  }
  char bytes[16];
  BOOL used_default = FALSE;
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, wide_size, bytes, sizeof bytes,
                                 nullptr, &used_default);
  if (size == 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
    // UTF-8 and the ISO-2022 kind of code pages take neither the flag nor
    // the question; the way back below tells an exact mapping from the rest.
    used_default = FALSE;
    size = WideCharToMultiByte(CP_ACP, 0, wide, wide_size, bytes, sizeof bytes, nullptr, nullptr);
  } else if (size == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    used_default = FALSE;
    size = WideCharToMultiByte(CP_ACP, 0, wide, wide_size, bytes, sizeof bytes, nullptr, nullptr);
  }
  if (size <= 0 || used_default) return {};
  wchar_t back[4];
  const int back_size = MultiByteToWideChar(CP_ACP, 0, bytes, size, back, 4);
  if (back_size != wide_size || back[0] != wide[0] || (wide_size == 2 && back[1] != wide[1])) {
    return {};
  }
  return std::string(bytes, static_cast<std::size_t>(size));
}

std::uint64_t Win32System::FileWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

}  // namespace tunaro
