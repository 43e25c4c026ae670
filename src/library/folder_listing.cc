#include "library/folder_listing.h"

#include <algorithm>

#include "library/folder_items.h"
#include "library/music_folders.h"

namespace tunaro {

PlaceOutcome ListLibraryFolder(SystemInterface& system, const std::vector<MusicFolder>& folders,
                               const LibraryPath& path, std::size_t from, FolderPage& page) {
  page = FolderPage{};
  const Place place = ResolvePlace(system, folders, path);
  if (place.outcome != PlaceOutcome::kFound) return place.outcome;
  if (!place.folder) return PlaceOutcome::kNotAFolder;
  std::vector<FolderItem> items;
  switch (ReadFolderItems(system, place.final_path, FinalPathsOf(folders), items)) {
    case FileAccess::kDone:
      break;
    case FileAccess::kNotFound:
      return PlaceOutcome::kNotFound;
    case FileAccess::kDenied:
      return PlaceOutcome::kDenied;
    case FileAccess::kFailed:
      return PlaceOutcome::kFailed;
  }
  page.path = LibraryPathText(path);
  page.total = items.size();
  page.from = std::min(from, items.size());
  const std::size_t end = std::min(items.size(), page.from + kFolderPageSize);
  for (std::size_t i = page.from; i < end; ++i) {
    LibraryItem item;
    item.name = std::move(items[i].name);
    item.path = page.path + "/" + item.name;
    item.kind = items[i].kind;
    item.size = items[i].size;
    page.items.push_back(std::move(item));
  }
  if (end < items.size()) page.next = end;
  return PlaceOutcome::kFound;
}

}  // namespace tunaro
