// What the player model gets from Windows in the stand-in: the ANSI code
// page and its conversions, files written through the Win32 API, its folder's
// name in its own memory, and the console.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_HOST_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_HOST_H_

#include <cstdint>
#include <optional>
#include <string>

#include "page_end_text.h"
#include "testing/player_model/player_host.h"

namespace standin {

class Host : public player_model::PlayerHost {
 public:
  // `folder` is the text the directory query reports; it never changes.
  Host(const player_model::LeadBytes& lead_bytes, const std::string& folder);

  player_model::LeadBytes AnsiLeadBytes() override { return lead_bytes_; }
  std::optional<std::string> AnsiToUtf8(const std::string& ansi) override;
  std::string Utf8ToAnsi(const std::string& utf8) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  std::int64_t AddressOfFolderText(const std::string& folder) override;
  void Say(const std::string& line) override;

 private:
  const player_model::LeadBytes lead_bytes_;
  const std::string folder_;
  // The copy of the folder's name whose address the query answers.
  const PageEndText folder_text_;
};

// The lead bytes of the system's ANSI code page.
player_model::LeadBytes SystemLeadBytes();

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_HOST_H_
