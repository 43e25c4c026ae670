#include "library/library_find.h"

#include <set>

#include "library/confinement.h"
#include "library/folder_walk.h"
#include "library/music_folders.h"
#include "library/text_fold.h"

namespace tunaro {
namespace {

// The length of the blank at `pos`, 0 when there is none there.
std::size_t BlankAt(std::string_view text, std::size_t pos) {
  const char c = text[pos];
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') return 1;
  if (text.substr(pos, 2) == "\xC2\xA0") return 2;      // U+00A0
  if (text.substr(pos, 3) == "\xE3\x80\x80") return 3;  // U+3000
  return 0;
}

// Whether a music folder lies inside one read before it (or is the same).
bool ReadBefore(const std::vector<std::string>& finals, std::size_t i) {
  for (std::size_t k = 0; k < finals.size(); ++k) {
    if (k == i || finals[k].empty()) continue;
    const bool inside = IsInsideFolder(finals[i], finals[k]);
    // Of two that are the same folder, the first is read.
    if (inside && (k < i || !IsInsideFolder(finals[k], finals[i]))) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> FindWords(std::string_view text) {
  const std::string folded = FoldForFind(text);
  std::vector<std::string> words;
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos <= folded.size()) {
    const std::size_t blank = pos < folded.size() ? BlankAt(folded, pos) : 1;
    if (blank == 0) {
      ++pos;
      continue;
    }
    if (pos > start) words.push_back(folded.substr(start, pos - start));
    pos += blank;
    start = pos;
  }
  return words;
}

FindResult FindInLibrary(SystemInterface& system, const std::vector<MusicFolder>& folders,
                         std::string_view text) {
  FindResult result;
  const std::vector<std::string> words = FindWords(text);
  if (words.empty()) return result;
  const std::vector<std::string> finals = FinalPathsOf(folders);
  const std::uint64_t deadline = system.MonotonicMilliseconds() + kFindMilliseconds;
  // A place reached twice (through a link, or from two music folders) is one hit.
  std::set<std::string> found;
  const auto visit = [&](const FolderItem& item, const std::string& path) {
    for (const std::string& word : words) {
      if (item.folded.find(word) == std::string::npos) return true;
    }
    if (!found.insert(UpperKey(item.final_path)).second) return true;
    if (result.hits.size() == kMostFindHits) {
      result.more = true;
      return false;
    }
    result.hits.push_back(LibraryItem{item.name, path, item.kind, item.size});
    return true;
  };
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (finals[i].empty() || ReadBefore(finals, i)) continue;
    const WalkEnd end =
        WalkFolder(system, finals, finals[i], std::to_string(i + 1), deadline, visit);
    if (end == WalkEnd::kStopped) break;
    if (end == WalkEnd::kTimeUp) {
      result.stopped = true;
      break;
    }
  }
  return result;
}

}  // namespace tunaro
