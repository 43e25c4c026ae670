#include "library/cover_choice.h"

#include <algorithm>

#include "base/content_hash.h"
#include "library/confinement.h"
#include "library/embedded_picture.h"
#include "library/file_kinds.h"
#include "library/image_type.h"
#include "library/music_folders.h"

namespace tunaro {
namespace {

struct Candidate {
  std::string name;
  int rank = 0;
  std::uint64_t size = 0;
  bool link = false;
};

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The picture as an answer takes it, when its bytes are a picture's.
bool Accept(std::string bytes, CoverChoice& choice) {
  if (bytes.size() > kLargestCover) return false;
  const std::string_view type = ImageMediaType(bytes);
  if (type.empty()) return false;
  choice.outcome = CoverOutcome::kFound;
  choice.image.media_type = type;
  choice.image.etag = "\"" + HashText(ContentHash(bytes)) + "\"";
  choice.image.bytes = std::move(bytes);
  return true;
}

// The picture files beside the file, best first. Hidden ones count: some
// programs write their folder pictures hidden.
std::vector<Candidate> PictureFiles(SystemInterface& system, const std::string& folder) {
  std::vector<Candidate> candidates;
  system.ListFolder(folder, [&](const FolderEntry& entry) {
    const int rank = entry.folder ? -1 : CoverNameRank(entry.name);
    if (rank >= 0) candidates.push_back(Candidate{entry.name, rank, entry.size, entry.link});
    return true;
  });
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) {
                     if (a.rank != b.rank) return a.rank < b.rank;
                     return a.size > b.size;
                   });
  return candidates;
}

bool FromFolder(SystemInterface& system, const std::vector<std::string>& music_folders,
                const std::string& folder, CoverChoice& choice) {
  for (const Candidate& candidate : PictureFiles(system, folder)) {
    std::string path = JoinPath(folder, candidate.name);
    std::uint64_t size = candidate.size;
    if (candidate.link) {
      const FinalPathFacts facts = system.FinalPath(path);
      if (facts.access != FileAccess::kDone || facts.folder) continue;
      path = WithoutVerbatimPrefix(facts.path);
      if (!FolderHolding(path, music_folders)) continue;
      size = facts.size;
    }
    if (size == 0 || size > kLargestCover) continue;
    // One byte more than the largest: a file that grew since is seen to.
    std::optional<std::string> bytes =
        system.ReadFilePart(path, 0, static_cast<std::size_t>(size) + 1);
    if (bytes && Accept(std::move(*bytes), choice)) return true;
  }
  return false;
}

// The folder that holds the file ("C:\" for "C:\a.mp3").
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return {};
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

}  // namespace

int CoverNameRank(std::string_view name) {
  const std::string lower = LowerAscii(name);
  const std::size_t dot = lower.rfind('.');
  if (dot == std::string::npos) return -1;
  const std::string_view stem = std::string_view(lower).substr(0, dot);
  const std::string_view extension = std::string_view(lower).substr(dot + 1);
  int by_extension = -1;
  if (extension == "jpg" || extension == "jpeg") by_extension = 0;
  if (extension == "png") by_extension = 1;
  if (by_extension < 0) return -1;
  int by_stem = -1;
  if (stem == "folder") by_stem = 0;
  if (stem == "cover") by_stem = 1;
  if (stem == "front") by_stem = 2;
  if (stem.substr(0, 8) == "albumart") by_stem = 3;
  return by_stem < 0 ? -1 : by_stem * 2 + by_extension;
}

CoverChoice ChooseCover(SystemInterface& system, const std::vector<MusicFolder>& folders,
                        const std::string& file_path) {
  CoverChoice choice;
  const FinalPathFacts facts = system.FinalPath(file_path);
  if (facts.access != FileAccess::kDone || facts.folder) {
    choice.outcome = CoverOutcome::kNotFound;
    return choice;
  }
  const std::string path = WithoutVerbatimPrefix(facts.path);
  const std::vector<std::string> music_folders = FinalPathsOf(folders);
  if (!FolderHolding(path, music_folders)) {
    choice.outcome = CoverOutcome::kOutside;
    return choice;
  }
  if (FromFolder(system, music_folders, FolderOf(path), choice)) return choice;
  if (FileKindOf(path) == FileKind::kAudio) {
    std::optional<std::string> picture = ReadEmbeddedPicture(system, path, facts.size);
    if (picture && Accept(std::move(*picture), choice)) return choice;
  }
  return choice;
}

}  // namespace tunaro
