#include "server/desktop/qr_code.h"

#include <qrcodegen.h>

#include <cstdint>

namespace tunaro::server {

std::optional<QrModules> EncodeQr(const std::string& text) {
  std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX), scratch(qrcodegen_BUFFER_LEN_MAX);
  if (!qrcodegen_encodeText(text.c_str(), scratch.data(), code.data(), qrcodegen_Ecc_LOW,
                            qrcodegen_VERSION_MIN, 10, qrcodegen_Mask_AUTO, true)) {
    return std::nullopt;
  }
  QrModules modules;
  modules.size = qrcodegen_getSize(code.data());
  modules.dark.resize(static_cast<size_t>(modules.size) * modules.size);
  for (int y = 0; y < modules.size; ++y) {
    for (int x = 0; x < modules.size; ++x) {
      modules.dark[static_cast<size_t>(y) * modules.size + x] =
          qrcodegen_getModule(code.data(), x, y);
    }
  }
  return modules;
}

}  // namespace tunaro::server
