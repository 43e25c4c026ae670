// The find in the music folders: files and folders whose names hold every
// word.
#ifndef TUNARO_LIBRARY_LIBRARY_FIND_H_
#define TUNARO_LIBRARY_LIBRARY_FIND_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

constexpr std::size_t kMostFindHits = 200;
constexpr std::uint64_t kFindMilliseconds = 2000;

// The words of a find, folded as the names are (FoldForFind), split at
// blanks, tabs, line ends, no-break and ideographic spaces.
std::vector<std::string> FindWords(std::string_view text);

// The folders and the audio files and playlists, under every music folder,
// whose names hold every word (letter case and accents counting for
// nothing), in the walk's order (folder_walk.h): at most kMostFindHits, with
// `more` when there are more, and `stopped` when kFindMilliseconds ran out
// first. No words find nothing.
FindResult FindInLibrary(SystemInterface& system, const std::vector<MusicFolder>& folders,
                         std::string_view words);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_LIBRARY_FIND_H_
