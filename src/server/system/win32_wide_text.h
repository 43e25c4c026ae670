// UTF-8, the server's own text form, to and from UTF-16, Windows' own.
#ifndef TUNARO_SERVER_SYSTEM_WIN32_WIDE_TEXT_H_
#define TUNARO_SERVER_SYSTEM_WIN32_WIDE_TEXT_H_

#include <string>

namespace tunaro::server {

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_SYSTEM_WIN32_WIDE_TEXT_H_
