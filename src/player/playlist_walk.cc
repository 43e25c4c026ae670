#include "player/playlist_walk.h"

#include "base/text_rules.h"

namespace tunaro {
namespace {

constexpr std::string_view kInfoTag = "#EXTINF:";

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

// The line without its CRs: the line itself when it has none, else a copy
// in `scratch`.
std::string_view WithoutCr(std::string_view line, std::string& scratch) {
  if (line.find('\r') == std::string_view::npos) return line;
  scratch.clear();
  for (char c : line) {
    if (c != '\r') scratch.push_back(c);
  }
  return scratch;
}

// Calls `visit(info, file_line)` for each entry in file order, `info` being
// null when the entry has no information line; stops early when `visit`
// returns false. Other lines starting with "#" (the header among them) and
// blank lines are passed over; an information line counts for the next file
// line, whatever was skipped between them.
template <typename Visit>
void ForEachPlaylistEntry(std::string_view content, Visit visit) {
  std::string scratch;
  std::string info_copy;
  std::string_view info;
  bool has_info = false;
  for (std::size_t start = 0;;) {
    const std::size_t lf = content.find('\n', start);
    if (lf == std::string_view::npos) return;
    const std::string_view line = WithoutCr(content.substr(start, lf - start), scratch);
    start = lf + 1;
    if (line.substr(0, kInfoTag.size()) == kInfoTag) {
      if (line.data() == scratch.data()) {
        info_copy = scratch;  // the scratch is reused for the next line
        info = info_copy;
      } else {
        info = line;
      }
      has_info = true;
    } else if (!IsBlank(line) && line.front() != '#') {
      if (!visit(has_info ? &info : nullptr, line)) return;
      has_info = false;
    }
  }
}

}  // namespace

std::string_view FileTitle(std::string_view file_line) {
  const std::size_t slash = file_line.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? file_line : file_line.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return name.empty() ? file_line : name;
}

void WalkPlaylistTitles(std::string_view content, std::int16_t ssi_width,
                        std::vector<std::string>& titles) {
  std::size_t k = 0;
  ForEachPlaylistEntry(content, [&](const std::string_view* info, std::string_view file_line) {
    if (k >= titles.size()) return false;
    const std::string_view title =
        info != nullptr ? TextAfterFirstComma(*info) : FileTitle(file_line);
    titles[k++] = ssi_width != 0 ? LastCharacters(title, ssi_width) : std::string(title);
    return true;
  });
}

std::optional<PlaylistEntry> FindPlaylistEntry(std::string_view content, std::int32_t index) {
  if (index < 0) return std::nullopt;
  std::optional<PlaylistEntry> found;
  std::int64_t k = 0;
  ForEachPlaylistEntry(content, [&](const std::string_view* info, std::string_view file_line) {
    if (k++ != index) return true;
    found.emplace();
    if (info != nullptr) found->info_line = std::string(*info);
    found->file_line = std::string(file_line);
    return false;
  });
  return found;
}

}  // namespace tunaro
