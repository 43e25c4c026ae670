#include "server/desktop/console_qr.h"

#include <qrcodegen.h>

#include <cstdint>
#include <vector>

#include "server/desktop/qr_text.h"

namespace tunaro::server {

std::string ConsoleQrCode(const std::string& text) {
  std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX), scratch(qrcodegen_BUFFER_LEN_MAX);
  // The lowest error correction gives the fewest modules, the smallest drawing.
  if (!qrcodegen_encodeText(text.c_str(), scratch.data(), code.data(), qrcodegen_Ecc_LOW,
                            qrcodegen_VERSION_MIN, 10, qrcodegen_Mask_AUTO, true)) {
    return std::string();
  }
  const int size = qrcodegen_getSize(code.data());
  std::string drawn;
  for (const std::string& line : QrHalfBlockLines(
           size, [&](int x, int y) { return qrcodegen_getModule(code.data(), x, y); })) {
    drawn += "  " + line + "\n";
  }
  return drawn;
}

}  // namespace tunaro::server
