#include "library/folder_items.h"

#include <algorithm>

#include "library/confinement.h"
#include "library/file_kinds.h"
#include "library/library_path.h"
#include "library/music_folders.h"
#include "library/natural_order.h"

namespace tunaro {
namespace {

// Where a link leads, when that is a place inside a music folder.
bool FollowLink(SystemInterface& system, const std::vector<std::string>& music_folders,
                FolderItem& item) {
  const FinalPathFacts facts = system.FinalPath(item.final_path);
  if (facts.access != FileAccess::kDone) return false;
  item.final_path = WithoutVerbatimPrefix(facts.path);
  if (!FolderHolding(item.final_path, music_folders)) return false;
  if (facts.folder) {
    item.kind = ItemKind::kFolder;
    item.size = 0;
  } else {
    if (item.kind == ItemKind::kFolder) return false;
    item.size = facts.size;
  }
  return true;
}

}  // namespace

FileAccess ReadFolderItems(SystemInterface& system, const std::string& final_path,
                           const std::vector<std::string>& music_folders,
                           std::vector<FolderItem>& items) {
  items.clear();
  std::vector<FolderItem> links;
  const FileAccess access = system.ListFolder(final_path, [&](const FolderEntry& entry) {
    if (entry.hidden || CheckName(entry.name) != PathFault::kNone) return true;
    FolderItem item;
    if (entry.folder) {
      item.kind = ItemKind::kFolder;
    } else {
      const FileKind kind = FileKindOf(entry.name);
      if (kind == FileKind::kOther) return true;
      item.kind = kind == FileKind::kAudio ? ItemKind::kAudio : ItemKind::kPlaylist;
      item.size = entry.size;
    }
    item.name = entry.name;
    item.final_path = JoinPath(final_path, entry.name);
    item.link = entry.link;
    (entry.link ? links : items).push_back(std::move(item));
    return true;
  });
  if (access != FileAccess::kDone) {
    items.clear();
    return access;
  }
  // Followed once the listing is over: the system's search stays open for
  // no longer than it must.
  for (FolderItem& link : links) {
    if (FollowLink(system, music_folders, link)) items.push_back(std::move(link));
  }
  for (FolderItem& item : items) item.folded = FoldForFind(item.name);
  std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) {
    const bool a_folder = a.kind == ItemKind::kFolder;
    const bool b_folder = b.kind == ItemKind::kFolder;
    if (a_folder != b_folder) return a_folder;
    return CompareFoldedNaturally(a.folded, a.name, b.folded, b.name) < 0;
  });
  return access;
}

}  // namespace tunaro
