#include "render/page_parts.h"

#include "base/text_rules.h"
#include "render/html_escape.h"

namespace tunaro {

std::string SelfUrl(SystemInterface& system, const std::string& www_path) {
  return www_path + system.ExecutableBaseName();
}

void WriteOptionLines(ResponseWriter& out, const PlayerStatus& status) {
  // One line built in place at a time: a page may list 100,000 entries.
  std::string line;
  for (std::int32_t k = 0; k < status.EntryCount; ++k) {
    line = k == status.CurrentEntry ? "<option selected>" : "<option>";
    line += DecimalText(k + 1);
    line += ". ";
    AppendHtmlEscaped(line, status.Titles[static_cast<std::size_t>(k)]);
    line += "</option>";
    out.WriteLine(line);
  }
}

}  // namespace tunaro
