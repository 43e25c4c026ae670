// What the music folders' answers are made of: records only, so that the
// renderers write them without the code that fills them.
#ifndef TUNARO_LIBRARY_LIBRARY_RECORDS_H_
#define TUNARO_LIBRARY_LIBRARY_RECORDS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_interface.h"

namespace tunaro {

// A music folder: a MUSICDIR line of tunaro.conf, or the user's Music folder.
struct MusicFolder {
  std::string configured;                   // as it was named, UTF-8
  FileAccess access = FileAccess::kFailed;  // kDone: it is there
  std::string final_path;                   // links followed, without "\\?\"; when kDone
};

enum class ItemKind { kFolder, kAudio, kPlaylist };

// A folder, audio file or playlist as the answers show it.
struct LibraryItem {
  std::string name;  // UTF-8
  std::string path;  // as a request names it: "1/Artist/Album"
  ItemKind kind = ItemKind::kFolder;
  std::uint64_t size = 0;  // bytes; 0 for a folder
};

// One page of a folder's listing.
struct FolderPage {
  std::string path;  // the folder, as a request names it
  // Sub-folders first, then audio files and playlists, each in natural order.
  std::vector<LibraryItem> items;
  std::size_t from = 0;             // where in the whole listing the first item stands
  std::size_t total = 0;            // items in the whole listing
  std::optional<std::size_t> next;  // where the next page starts; none on the last
};

struct FindResult {
  std::vector<LibraryItem> hits;
  bool more = false;     // there are more hits than these
  bool stopped = false;  // the time ran out before every folder was searched
};

// The audio files a folder add hands to the player, in their order.
struct FolderAudio {
  std::vector<std::string> files;  // final paths, without "\\?\"
  bool more = false;               // the folder holds more than these
  bool stopped = false;            // the time ran out before every folder was read
};

// What an add did to the playlist.
struct PlaylistAddition {
  std::int32_t added = 0;     // entries the playlist gained
  std::int32_t appended = 0;  // of those meant to go after the current entry, the ones at the end
  bool more = false;          // the folder holds more audio files than were handed over
  bool stopped = false;       // reading the folder ran out of time
};

// Where a path of a request led.
enum class PlaceOutcome {
  kFound,
  kNoSuchMusicFolder,       // its number names no music folder
  kMusicFolderUnavailable,  // the music folder is missing or cannot be opened
  kNotFound,
  kDenied,
  kOutside,  // it leads out of every music folder (a link or junction)
  kNotAFolder,
  kFailed,
};

struct CoverImage {
  std::string bytes;
  std::string_view media_type;  // "image/jpeg", "image/png", ...
  std::string etag;             // in its double quotes
};

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_LIBRARY_RECORDS_H_
