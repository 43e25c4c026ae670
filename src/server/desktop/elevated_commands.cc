#include "server/desktop/elevated_commands.h"

#include <cstdint>

namespace tunaro::server {

const char kPowerShell[] = "powershell.exe";

namespace {

// The name of our own allow rule, so that a second fix replaces it.
constexpr char kRuleName[] = "Tunaro server";

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The code units of UTF-8 text in UTF-16; a broken sequence becomes U+FFFD.
std::u16string Utf16(const std::string& text) {
  std::u16string units;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = -1;
    std::uint32_t code = 0;
    if (lead < 0x80) {
      extra = 0, code = lead;
    } else if ((lead & 0xe0) == 0xc0) {
      extra = 1, code = lead & 0x1f;
    } else if ((lead & 0xf0) == 0xe0) {
      extra = 2, code = lead & 0x0f;
    } else if ((lead & 0xf8) == 0xf0) {
      extra = 3, code = lead & 0x07;
    }
    bool good = extra >= 0 && i + extra < text.size();
    for (int k = 1; good && k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      good = (next & 0xc0) == 0x80;
      code = code << 6 | (next & 0x3f);
    }
    if (!good || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
      units += u'\xfffd';
      ++i;
      continue;
    }
    i += 1 + extra;
    if (code >= 0x10000) {
      units += static_cast<char16_t>(0xd800 + ((code - 0x10000) >> 10));
      units += static_cast<char16_t>(0xdc00 + ((code - 0x10000) & 0x3ff));
    } else {
      units += static_cast<char16_t>(code);
    }
  }
  return units;
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t left = bytes.size() - i;
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
    text += kDigits[group >> 18 & 63];
    text += kDigits[group >> 12 & 63];
    text += left > 1 ? kDigits[group >> 6 & 63] : '=';
    text += left > 2 ? kDigits[group & 63] : '=';
  }
  return text;
}

}  // namespace

std::string PowerShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (std::size_t i = 0; i < text.size(); ++i) {
    // PowerShell takes the typographic single quotes (U+2018 to U+201B,
    // E2 80 98 to E2 80 9B in UTF-8) for quotes as well: doubled the same.
    const bool typographic = text.compare(i, 2, "\xe2\x80") == 0 && i + 2 < text.size() &&
                             static_cast<unsigned char>(text[i + 2]) >= 0x98 &&
                             static_cast<unsigned char>(text[i + 2]) <= 0x9b;
    const std::string one = text.substr(i, typographic ? 3 : 1);
    quoted += one;
    if (typographic || one == "'") quoted += one;
    if (typographic) i += 2;
  }
  return quoted + "'";
}

std::string FirewallFixScript(const std::string& program) {
  return "$program = " + PowerShellQuoted(program) +
         "\n"
         "Get-NetFirewallApplicationFilter | Where-Object { $_.Program -like ('*\\' + "
         "[WildcardPattern]::Escape(" +
         PowerShellQuoted(FileName(program)) +
         ")) } | Get-NetFirewallRule | Where-Object { $_.Direction -eq 'Inbound' -and $_.Action "
         "-eq 'Block' } | Remove-NetFirewallRule\n"
         "Get-NetFirewallRule -DisplayName '" +
         std::string(kRuleName) +
         "' -ErrorAction SilentlyContinue | Remove-NetFirewallRule\n"
         "New-NetFirewallRule -DisplayName '" +
         std::string(kRuleName) +
         "' -Direction Inbound -Action Allow -Profile Private,Domain -Program $program\n";
}

std::string MakePrivateScript(int interface_index) {
  return "Set-NetConnectionProfile -InterfaceIndex " + std::to_string(interface_index) +
         " -NetworkCategory Private\n";
}

std::string PowerShellParameters(const std::string& script) {
  std::string little_endian;
  for (char16_t unit : Utf16(script)) {
    little_endian += static_cast<char>(unit & 0xff);
    little_endian += static_cast<char>(unit >> 8);
  }
  return "-NoProfile -NonInteractive -ExecutionPolicy Bypass -WindowStyle Hidden "
         "-EncodedCommand " +
         Base64(little_endian);
}

}  // namespace tunaro::server
