// A QR code's modules, made by qrcodegen. Built into the exe only (qrcodegen
// is fetched for the Windows builds alone); what is drawn from them is
// qr_text's (the console) and the window's.
#ifndef TUNARO_SERVER_DESKTOP_QR_CODE_H_
#define TUNARO_SERVER_DESKTOP_QR_CODE_H_

#include <optional>
#include <string>
#include <vector>

namespace tunaro::server {

struct QrModules {
  int size = 0;            // modules a side
  std::vector<bool> dark;  // row by row
  bool Dark(int x, int y) const { return dark[static_cast<size_t>(y) * size + x]; }
};

// The code of `text` at the lowest error correction (the fewest modules);
// nothing when it needs a larger code than version 10 (57 modules a side).
std::optional<QrModules> EncodeQr(const std::string& text);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_QR_CODE_H_
