// Walking the text of the player's playlist file, extended M3U as the player
// writes it: a header line, then per entry an optional information line
// ("#EXTINF:seconds,title") and its file line. The player writes the
// information line only for files whose details it has read, so an entry may
// be its file line alone. An LF ends a line, CRs are dropped wherever they
// stand, and text after the last LF is never read.
#ifndef TUNARO_PLAYER_PLAYLIST_WALK_H_
#define TUNARO_PLAYER_PLAYLIST_WALK_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/characters.h"
#include "player/title_list.h"

namespace tunaro {

// One entry as the file gives it, CRs taken out.
struct PlaylistEntry {
  std::optional<std::string> info_line;  // the "#EXTINF:" line before it, if any
  std::string file_line;
};

// Fills the slots of `titles` in order with the titles of the entries, each
// cut to its last `ssi_width` characters (by `characters`, the rule of the
// text) when that is not 0: the text after the first comma of its
// information line, or for an entry without one its file's name (see
// FileTitle). Entries beyond the last slot are not stored.
void WalkPlaylistTitles(std::string_view content, const CharacterRule& characters,
                        std::int16_t ssi_width, TitleList& titles);

// How many entries the text holds.
std::size_t CountPlaylistEntries(std::string_view content);

// Entry `index` (from 0), uncut; nothing when the text has no such entry or
// the index is negative.
std::optional<PlaylistEntry> FindPlaylistEntry(std::string_view content, std::int32_t index);

// The entry nearest to `near` (from 0; of two as near, the lower) whose title
// as WalkPlaylistTitles gives it `shows` accepts; nothing when none does.
std::optional<std::int32_t> NearestEntryShowing(
    std::string_view content, const CharacterRule& characters, std::int16_t ssi_width,
    std::int32_t near, const std::function<bool(std::string_view title)>& shows);

// A title as the pages show it: its last `ssi_width` characters (by
// `characters`) when that is not 0, else whole (a part of `title`, not a
// copy). A negative width is no length: RunError 5, even for an empty title,
// so such a setting never passes unnoticed.
std::string_view CutTitle(std::string_view title, std::int16_t ssi_width,
                          const CharacterRule& characters);

// What the player shows for an entry it has not read: the file's name without
// its folder and extension ("C:\Music\Song.mp3" gives "Song"), the backslash
// and the dot found as characters of their own. A line whose name part is
// empty (a stream address ending in "/") is shown whole.
std::string_view FileTitle(std::string_view file_line, const CharacterRule& characters);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_WALK_H_
