// The QR code of an address, drawn for the console by qrcodegen and
// QrHalfBlockLines. Built into the exe only (qrcodegen is fetched for the
// Windows builds alone); the drawing itself is qr_text's, unit-tested.
#ifndef TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_
#define TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_

#include <string>

namespace tunaro::server {

// The code's lines, each indented by two blanks and ended by a line end;
// empty text when the text needs a larger code than version 10 (57 modules a
// side).
std::string ConsoleQrCode(const std::string& text);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_
