#include "host.h"

#include <windows.h>

#include "console.h"
#include "file_io.h"
#include "text_encoding.h"

namespace standin {

player_model::LeadBytes SystemLeadBytes() {
  player_model::LeadBytes lead_bytes{};
  for (unsigned b = 0; b < 256; ++b) lead_bytes[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != 0;
  return lead_bytes;
}

Host::Host(const player_model::LeadBytes& lead_bytes, const std::string& folder)
    : lead_bytes_(lead_bytes), folder_(folder), folder_text_(folder) {}

std::optional<std::string> Host::AnsiToUtf8(const std::string& ansi) {
  return standin::AnsiToUtf8(ansi);
}

std::string Host::Utf8ToAnsi(const std::string& utf8) { return standin::Utf8ToAnsi(utf8); }

bool Host::WriteFile(const std::string& path, const std::string& bytes) {
  return WriteWholeFile(path, bytes);
}

// The address of the folder's text in this process, which the asker reads
// from outside with ReadProcessMemory.
std::int64_t Host::AddressOfFolderText(const std::string& /*folder*/) {
  const char* text = folder_text_.get();
  if (text == nullptr) text = folder_.c_str();
  return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(text));
}

void Host::Say(const std::string& line) { standin::Say(line); }

}  // namespace standin
