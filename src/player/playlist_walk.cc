#include "player/playlist_walk.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/run_error.h"

namespace tunaro {
namespace {

constexpr std::string_view kInfoTag = "#EXTINF:";

// A line of the file without its CRs, and where its first comma is.
struct Line {
  std::string_view text;
  std::size_t comma = std::string_view::npos;
};

// Whether any of the eight bytes of `word` is an LF or a CR.
bool HasLineEndByte(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const std::uint64_t lf = word ^ (kOnes * '\n');
  const std::uint64_t cr = word ^ (kOnes * '\r');
  return (((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHighs;
}

// Reads the line that starts at `pos` and moves `pos` past its LF; false
// when no LF ends it. Eight characters at a time where none is an LF or a
// CR: a playlist file of 100,000 entries holds megabytes, and some runtimes'
// own character search goes a byte at a time. The line is a part of
// `content` unless a CR stands inside it (a CR before the LF is simply left
// out); then it is a copy in `scratch`. Its comma is not looked for.
bool NextLine(std::string_view content, std::size_t& pos, std::string& scratch, Line& line) {
  const char* const first = content.data() + pos;
  const char* const end = content.data() + content.size();
  const char* p = first;
  const char* cr = nullptr;
  for (;;) {
    std::uint64_t word;
    if (end - p >= 8 && (std::memcpy(&word, p, sizeof word), !HasLineEndByte(word))) {
      p += 8;
      continue;
    }
    // A byte at a time through the word that holds one, and at the end.
    const char* const stop = end - p >= 8 ? p + 8 : end;
    for (; p != stop && *p != '\n'; ++p) {
      if (*p == '\r' && cr == nullptr) cr = p;
    }
    if (p != stop || p == end) break;
  }
  if (p == end) return false;
  pos = static_cast<std::size_t>(p - content.data()) + 1;
  const char* text_end = p;
  if (cr != nullptr && cr == p - 1) --text_end;  // CR LF
  line.comma = std::string_view::npos;
  if (cr == nullptr || cr == text_end) {
    line.text = std::string_view(first, static_cast<std::size_t>(text_end - first));
    return true;
  }
  scratch.clear();
  for (const char* q = first; q != p; ++q) {
    if (*q != '\r') scratch.push_back(*q);
  }
  line.text = scratch;
  return true;
}

std::string_view AfterFirstComma(const Line& line) {
  return line.comma == std::string_view::npos ? line.text : line.text.substr(line.comma + 1);
}

// An entry's title before any cut: its information line's text after the
// first comma, or without one its file's name.
std::string_view EntryTitle(const Line* info, std::string_view file_line,
                            const CharacterRule& characters) {
  return info != nullptr ? AfterFirstComma(*info) : FileTitle(file_line, characters);
}

bool IsBlank(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
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
  Line info;
  bool has_info = false;
  Line line;
  for (std::size_t pos = 0; NextLine(content, pos, scratch, line);) {
    if (line.text.substr(0, kInfoTag.size()) == kInfoTag) {
      info = line;
      info.comma = line.text.find(',', kInfoTag.size());
      if (line.text.data() == scratch.data()) {
        info_copy = scratch;  // the scratch is reused for the next line
        info.text = info_copy;
      }
      has_info = true;
    } else if (!IsBlank(line.text) && line.text.front() != '#') {
      if (!visit(has_info ? &info : nullptr, line.text)) return;
      has_info = false;
    }
  }
}

}  // namespace

std::string_view CutTitle(std::string_view title, std::int16_t ssi_width,
                          const CharacterRule& characters) {
  if (ssi_width < 0) throw RunError(error_number::kInvalidArgument);
  return ssi_width != 0 ? characters.LastCharacters(title, static_cast<std::size_t>(ssi_width))
                        : title;
}

std::string_view FileTitle(std::string_view file_line, const CharacterRule& characters) {
  const std::size_t slash = characters.FindLastOf(file_line, "\\/");
  std::string_view name = slash == std::string_view::npos ? file_line : file_line.substr(slash + 1);
  const std::size_t dot = characters.FindLastOf(name, ".");
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return name.empty() ? file_line : name;
}

void WalkPlaylistTitles(std::string_view content, const CharacterRule& characters,
                        std::int16_t ssi_width, TitleList& titles) {
  titles.ReserveText(content.size());  // the titles are parts of it
  ForEachPlaylistEntry(content, [&](const Line* info, std::string_view file_line) {
    if (titles.full()) return false;
    titles.Append(CutTitle(EntryTitle(info, file_line, characters), ssi_width, characters));
    return true;
  });
}

std::size_t CountPlaylistEntries(std::string_view content) {
  std::size_t count = 0;
  ForEachPlaylistEntry(content, [&](const Line*, std::string_view) { return ++count, true; });
  return count;
}

std::optional<std::int32_t> NearestEntryShowing(
    std::string_view content, const CharacterRule& characters, std::int16_t ssi_width,
    std::int32_t near, const std::function<bool(std::string_view title)>& shows) {
  std::optional<std::int32_t> best;
  std::int64_t best_distance = 0;
  std::int32_t k = 0;
  ForEachPlaylistEntry(content, [&](const Line* info, std::string_view file_line) {
    const std::int64_t distance = std::abs(std::int64_t{k} - near);
    if (best && distance >= best_distance) return false;  // only farther ones follow
    if (shows(CutTitle(EntryTitle(info, file_line, characters), ssi_width, characters))) {
      best = k;
      best_distance = distance;
    }
    return k++ < INT32_MAX;
  });
  return best;
}

std::optional<PlaylistEntry> FindPlaylistEntry(std::string_view content, std::int32_t index) {
  if (index < 0) return std::nullopt;
  std::optional<PlaylistEntry> found;
  std::int64_t k = 0;
  ForEachPlaylistEntry(content, [&](const Line* info, std::string_view file_line) {
    if (k++ != index) return true;
    found.emplace();
    if (info != nullptr) found->info_line = std::string(info->text);
    found->file_line = std::string(file_line);
    return false;
  });
  return found;
}

}  // namespace tunaro
