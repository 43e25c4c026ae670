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
// and the current entry. Ends the run (RunEndedEarly) when the player's
// program file cannot be found, neither from the player nor from its
// process. Every title is cut to its last `ssi_width` characters when that is
// not 0.
void RefreshPlayerStatus(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status);

// Learns where the player's program is (from the player, or from its process
// when the player does not say) and where it keeps its playlist file, into
// PlayerPath and PlaylistPath; once per run, later calls keep what was
// learned. False when no program file can be found.
bool LocatePlayerFiles(SystemInterface& system, PlayerStatus& status);

// Has the player write its playlist file now and returns the file's text
// (empty when there is none), taking turns with other runs for it; nothing
// when the player's files cannot be located. Sends WritePlaylist and what
// locating the files takes, nothing else.
std::optional<std::string> ReadFreshPlaylist(SystemInterface& system, PlayerStatus& status);

// Entry `index` of the playlist file at `playlist_path`, as the file gives
// it; nothing when the file holds no such entry. Creates the file, empty,
// when there is none.
std::optional<PlaylistEntry> ReadPlaylistEntryLine(SystemInterface& system,
                                                   const std::string& playlist_path,
                                                   std::int32_t index);

// The title the page shows for an entry of the file: for one with an
// information line, the line cut to its last `ssi_width` characters, then the
// text after its first comma, cut again; for one without, its file's name,
// cut (a cut happens only when `ssi_width` is not 0).
std::string CurrentTitleOf(const PlaylistEntry& entry, std::int16_t ssi_width);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_STATUS_H_
