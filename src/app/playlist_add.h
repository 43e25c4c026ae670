// Files handed to the player: appended, or put after its current entry.
#ifndef TUNARO_APP_PLAYLIST_ADD_H_
#define TUNARO_APP_PLAYLIST_ADD_H_

#include <optional>
#include <string>
#include <vector>

#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

struct HandedFiles {
  PlaylistAddition addition;  // "added" and "appended"
  // The file the player did not take: a player that knows no UTF-16 record
  // takes nothing of it, and the files after it were not handed over.
  std::optional<std::string> refused;
};

// Hands the `files` (UTF-8 paths), in their order, to the player in
// `window`: each appended to the playlist (WM_COPYDATA to the main window),
// or with `at_next` inserted after the current entry and after the ones
// inserted before it (WM_COPYDATA to the playlist editor's window), where a
// path too long for the insert record is appended instead. Under the
// playlist file lock: the entry count before and after, the current entry
// (WritePlaylist) for `at_next`, and a WritePlaylist last, so the file shows
// the change. The first file in UTF-16 is checked for: when the count did
// not grow, the player does not take such records, and the add ends there.
HandedFiles HandFilesToPlayer(SystemInterface& system, Handle window,
                              const std::vector<std::string>& files, bool at_next);

}  // namespace tunaro

#endif  // TUNARO_APP_PLAYLIST_ADD_H_
