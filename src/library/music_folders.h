// The music folders, and where a request's path leads in them.
#ifndef TUNARO_LIBRARY_MUSIC_FOLDERS_H_
#define TUNARO_LIBRARY_MUSIC_FOLDERS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/library_path.h"
#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

// The configured folders (UTF-8; tunaro.conf's MUSICDIR lines), or the
// user's Music folder when there are none, each resolved to its final path.
// A folder that is missing stays in the list, unavailable, so that the
// numbers of the others do not change.
std::vector<MusicFolder> ResolveMusicFolders(SystemInterface& system,
                                             const std::vector<std::string>& configured);

// The final paths of the folders that are there ("" for the others).
std::vector<std::string> FinalPathsOf(const std::vector<MusicFolder>& folders);

// `name` under `folder`, with one backslash between ("C:\" has its own).
std::string JoinPath(std::string_view folder, std::string_view name);

struct Place {
  PlaceOutcome outcome = PlaceOutcome::kFailed;
  std::string final_path;  // without "\\?\"; when kFound
  bool folder = false;
  std::uint64_t size = 0;
};

// Resolves a request's path to its final form and makes sure it lies inside
// one of the music folders.
Place ResolvePlace(SystemInterface& system, const std::vector<MusicFolder>& folders,
                   const LibraryPath& path);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_MUSIC_FOLDERS_H_
