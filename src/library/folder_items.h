// One folder's entries as the library shows them, in the listing's order.
#ifndef TUNARO_LIBRARY_FOLDER_ITEMS_H_
#define TUNARO_LIBRARY_FOLDER_ITEMS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

struct FolderItem {
  std::string name;    // UTF-8, as the folder holds it
  std::string folded;  // FoldForFind(name)
  ItemKind kind = ItemKind::kFolder;
  std::uint64_t size = 0;
  // Where it really is: the folder's path and its name, or where a link leads.
  std::string final_path;
  bool link = false;
};

// The entries of the folder at `final_path`: its sub-folders, then its audio
// files and playlists, each in natural order. Left out: hidden and system
// entries, other files, names that no request could name (library_path.h),
// and links that lead nowhere or out of every music folder (`music_folders`,
// their final paths).
FileAccess ReadFolderItems(SystemInterface& system, const std::string& final_path,
                           const std::vector<std::string>& music_folders,
                           std::vector<FolderItem>& items);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_FOLDER_ITEMS_H_
