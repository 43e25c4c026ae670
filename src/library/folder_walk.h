// A bounded walk through a folder and every folder under it, for the find
// and the folder add: it ends by the clock, and link loops end it nowhere.
#ifndef TUNARO_LIBRARY_FOLDER_WALK_H_
#define TUNARO_LIBRARY_FOLDER_WALK_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "library/folder_items.h"
#include "platform/system_interface.h"

namespace tunaro {

// Folders deeper than this under where the walk began are not read.
constexpr std::size_t kDeepestWalk = 64;

enum class WalkEnd { kFinished, kStopped, kTimeUp };

// Calls `visit` with every item of the folder at `final_path` (a request
// names it `request_path`) and of the folders under it, depth first in the
// listing's order: each sub-folder, then what it holds, then the folder's
// files. `visit` gets the item and its path as a request names it, and
// returns false to stop. A link to the folder itself or to a folder around it
// is not followed, nor one to a folder the walk was led to before; once
// `system.MonotonicMilliseconds()` reaches `deadline` no further folder is
// read. Folders that cannot be read are passed over.
WalkEnd WalkFolder(SystemInterface& system, const std::vector<std::string>& music_folders,
                   const std::string& final_path, const std::string& request_path,
                   std::uint64_t deadline,
                   const std::function<bool(const FolderItem&, const std::string&)>& visit);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_FOLDER_WALK_H_
