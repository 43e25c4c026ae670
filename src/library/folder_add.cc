#include "library/folder_add.h"

#include "library/folder_walk.h"
#include "library/music_folders.h"

namespace tunaro {

FolderAudio CollectFolderAudio(SystemInterface& system, const std::vector<MusicFolder>& folders,
                               const std::string& final_path) {
  FolderAudio audio;
  const std::uint64_t deadline = system.MonotonicMilliseconds() + kFolderAddMilliseconds;
  const auto visit = [&](const FolderItem& item, const std::string&) {
    if (item.kind != ItemKind::kAudio) return true;
    if (audio.files.size() == kMostFolderAddFiles) {
      audio.more = true;
      return false;
    }
    audio.files.push_back(item.final_path);
    return true;
  };
  const WalkEnd end = WalkFolder(system, FinalPathsOf(folders), final_path, "", deadline, visit);
  audio.stopped = end == WalkEnd::kTimeUp;
  return audio;
}

}  // namespace tunaro
