// An entry's cover: a picture beside its file, else the one in its tags.
#ifndef TUNARO_LIBRARY_COVER_CHOICE_H_
#define TUNARO_LIBRARY_COVER_CHOICE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

constexpr std::uint64_t kLargestCover = 8 << 20;

enum class CoverOutcome {
  kFound,
  kNone,      // the file has no cover
  kNotFound,  // the file is not there
  kOutside,   // the file lies outside every music folder: nothing of it is read
};

struct CoverChoice {
  CoverOutcome outcome = CoverOutcome::kNone;
  CoverImage image;  // when kFound
};

// The place of a name among the picture files a folder may hold; -1 for a
// name that is none. "folder", "cover" and "front", then "albumart*", each
// ".jpg", ".jpeg" or ".png", in any letter case.
int CoverNameRank(std::string_view name);

// The cover of the audio file at `file_path`: the picture beside it that
// ranks first (of the "albumart*" ones, the largest), else the picture in its
// tags (embedded_picture.h). Only a picture whose bytes say it is one (JPEG,
// PNG, GIF, WebP or BMP) counts, and none over kLargestCover bytes: a larger
// file is passed over by its size, unread.
CoverChoice ChooseCover(SystemInterface& system, const std::vector<MusicFolder>& folders,
                        const std::string& file_path);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_COVER_CHOICE_H_
