#include "player/playlist_walk.h"

#include "base/text_rules.h"

namespace tunaro {
namespace {

// Calls `visit(line_number, line)` for each LF-ended line, numbered from 1,
// with the CRs taken out; stops early when `visit` returns false.
template <typename Visit>
void ForEachPlaylistLine(std::string_view content, Visit visit) {
  std::string line;
  std::size_t start = 0;
  for (std::int64_t number = 1;; ++number) {
    const std::size_t lf = content.find('\n', start);
    if (lf == std::string_view::npos) return;
    line.clear();
    for (std::size_t i = start; i < lf; ++i) {
      if (content[i] != '\r') line.push_back(content[i]);
    }
    if (!visit(number, line)) return;
    start = lf + 1;
  }
}

}  // namespace

void WalkPlaylistTitles(std::string_view content, std::int16_t ssi_width,
                        std::vector<std::string>& titles) {
  std::size_t k = 0;
  ForEachPlaylistLine(content, [&](std::int64_t number, const std::string& line) {
    if (number % 2 != 0) return true;  // the header and the file lines
    if (k >= titles.size()) return false;
    std::string title(TextAfterFirstComma(line));
    titles[k++] = ssi_width != 0 ? LastCharacters(title, ssi_width) : std::move(title);
    return true;
  });
}

bool FindPlaylistEntryLine(std::string_view content, std::int32_t index, std::string& line) {
  if (index < 0) return false;
  const std::int64_t wanted = 2 * (static_cast<std::int64_t>(index) + 1);
  bool found = false;
  ForEachPlaylistLine(content, [&](std::int64_t number, const std::string& text) {
    if (number != wanted) return true;
    line = text;
    found = true;
    return false;
  });
  return found;
}

std::string StateTextFor(std::int16_t play_state) {
  switch (play_state) {
    case 0:
      return "Stopped";
    case 1:
      return "Playing";
    case 3:
      return "Paused";
    default:
      return {};
  }
}

std::string LengthTextFor(std::int32_t seconds) {
  if (seconds < 0) return {};
  const std::int32_t rest = seconds % 60;
  std::string text = DecimalText(seconds / 60) + ":";
  if (rest < 10) text += '0';
  return text + DecimalText(rest);
}

}  // namespace tunaro
