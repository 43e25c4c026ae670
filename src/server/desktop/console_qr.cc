#include "server/desktop/console_qr.h"

#include <optional>
#include <vector>

#include "server/desktop/qr_code.h"
#include "server/desktop/qr_text.h"

namespace tunaro::server {

std::string ConsoleQrCode(const std::string& text, unsigned code_page) {
  const std::optional<QrModules> code = EncodeQr(text);
  if (!code) return std::string();
  const auto dark = [&](int x, int y) { return code->Dark(x, y); };
  const std::vector<std::string> lines = ConsoleNeedsAsciiQr(code_page)
                                             ? QrAsciiLines(code->size, dark)
                                             : QrHalfBlockLines(code->size, dark);
  std::string drawn;
  for (const std::string& line : lines) drawn += "  " + line + "\n";
  return drawn;
}

}  // namespace tunaro::server
