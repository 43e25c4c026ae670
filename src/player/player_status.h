// Taking a snapshot of the player for one page: state, current entry, titles.
#ifndef TUNARO_PLAYER_PLAYER_STATUS_H_
#define TUNARO_PLAYER_PLAYER_STATUS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system_interface.h"
#include "player/playlist_walk.h"
#include "player/status_records.h"

namespace tunaro {

// Queries the player, has it write its playlist file, and reads the titles
// and the current entry, from the UTF-8 copy when there is a usable one.
// Ends the run (RunEndedEarly) when the player's program file cannot be
// found, neither from the player nor from its process. Every title is cut to
// its last `ssi_width` characters when that is not 0.
void RefreshPlayerStatus(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status);

// Learns where the player's program is (from the player, or from its process
// when the player does not say) and where it keeps its playlist file, into
// PlayerPath and PlaylistPath; once per run, later calls keep what was
// learned. False when no program file can be found.
bool LocatePlayerFiles(SystemInterface& system, PlayerStatus& status);

// The text the titles come from: the player's UTF-8 copy when it is usable
// (see ReadUsableUtf8Copy), else the playlist file.
struct PlaylistText {
  std::string text;
  bool utf8_copy = false;  // the text is the UTF-8 copy's
};

// Has the player write its playlist file now and returns the text its titles
// come from (empty when there is no file), taking turns with other runs for
// it; nothing when the player's files cannot be located. Sends WritePlaylist
// and what locating the files takes, nothing else; keeps its answer, the
// current entry, in status.CurrentEntry.
std::optional<PlaylistText> ReadFreshPlaylist(SystemInterface& system, PlayerStatus& status);
// The same for a caller that holds the playlist file lock already.
std::optional<PlaylistText> ReadFreshPlaylistLocked(SystemInterface& system, PlayerStatus& status);

// The text of the player's UTF-8 copy beside the playlist file at
// `playlist_path`, without its byte order mark, when the titles come from it:
// it is an ordinary file written no earlier than the playlist file (the same
// WritePlaylist writes both; an older one is left from an earlier list), and
// holds as many entries as `ansi`, the playlist file's text (entries are
// matched by position).
std::optional<std::string> ReadUsableUtf8Copy(SystemInterface& system,
                                              const std::string& playlist_path,
                                              std::string_view ansi);

// Entry `index` of the playlist file at `playlist_path`, as the file gives
// it; nothing when the file holds no such entry. Creates the file, empty,
// when there is none.
std::optional<PlaylistEntry> ReadPlaylistEntryLine(SystemInterface& system,
                                                   const std::string& playlist_path,
                                                   std::int32_t index);

// The title the page shows for an entry of the file, in the file's text
// (whose characters `characters` tells): for one with an information line,
// the line cut to its last `ssi_width` characters, then the text after its
// first comma, cut again; for one without, its file's name, cut (a cut
// happens only when `ssi_width` is not 0).
std::string CurrentTitleOf(const PlaylistEntry& entry, const CharacterRule& characters,
                           std::int16_t ssi_width);

// An entry's title, whole: the text after the first comma of its information
// line, or for an entry without one its file's name.
std::string_view WholeTitleOf(const PlaylistEntry& entry, const CharacterRule& characters);

// Where the player's UTF-8 copy of the playlist file at `playlist_path` is.
std::string Utf8CopyPathFor(const std::string& playlist_path);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_STATUS_H_
