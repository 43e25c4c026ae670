// A folder of the music folders, a page at a time.
#ifndef TUNARO_LIBRARY_FOLDER_LISTING_H_
#define TUNARO_LIBRARY_FOLDER_LISTING_H_

#include <cstddef>
#include <vector>

#include "library/library_path.h"
#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

constexpr std::size_t kFolderPageSize = 500;

// The page of the folder's listing (folder_items.h says what it holds and in
// which order) that starts at item `from`.
PlaceOutcome ListLibraryFolder(SystemInterface& system, const std::vector<MusicFolder>& folders,
                               const LibraryPath& path, std::size_t from, FolderPage& page);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_FOLDER_LISTING_H_
