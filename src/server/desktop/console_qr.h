// The QR code of an address, drawn for the console: half blocks, or ASCII
// on the consoles of the double-byte code pages (qr_text.h).
#ifndef TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_
#define TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_

#include <string>

namespace tunaro::server {

// The code's lines for a console of `code_page`, each indented by two
// blanks and ended by a line end; empty text when the text needs a larger
// code than version 10.
std::string ConsoleQrCode(const std::string& text, unsigned code_page);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_CONSOLE_QR_H_
