// What a folder add hands to the player: the audio files of a folder and of
// every folder under it.
#ifndef TUNARO_LIBRARY_FOLDER_ADD_H_
#define TUNARO_LIBRARY_FOLDER_ADD_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

constexpr std::size_t kMostFolderAddFiles = 5000;
constexpr std::uint64_t kFolderAddMilliseconds = 2000;

// The audio files (no playlists) under the folder at `final_path`, at every
// level, in the walk's order (folder_walk.h): at most kMostFolderAddFiles,
// with `more` when there are more, and `stopped` when kFolderAddMilliseconds
// ran out first.
FolderAudio CollectFolderAudio(SystemInterface& system, const std::vector<MusicFolder>& folders,
                               const std::string& final_path);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_FOLDER_ADD_H_
