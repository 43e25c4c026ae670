// A snapshot of the player for one page: state, current entry, titles.
#ifndef TUNARO_PLAYER_PLAYER_STATUS_H_
#define TUNARO_PLAYER_PLAYER_STATUS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_interface.h"
#include "player/playlist_path.h"

namespace tunaro {

struct PlayerStatus {
  Handle PlayerWindow = 0;     // 0: no player running
  std::string PlayerPath;      // the player's program file, as it reports it
  std::string StateText;       // "Playing", "Paused", "Stopped" or empty
  std::string LengthText;      // minutes:seconds of the current entry
  std::string SampleRateText;  // kHz followed by ",000"
  std::string BitRateText;     // kbit/s
  std::string CurrentTitle;
  std::int32_t EntryCount = 0;  // entries as the player reports them, never negative
  // EntryCount + 1 slots; the last is empty unless the file holds more entries
  // than the player reports.
  std::vector<std::string> Titles;
};

// The most entries a page lists; a player that reports more is taken at this.
constexpr std::int32_t kMaxEntryCount = 1 << 20;

// Queries the player, has it write its playlist file, and reads the titles
// and the current title. Ends the run (RunEndedEarly) when the player's
// program file cannot be found. Every title is cut to its last `ssi_width`
// characters when that is not 0.
void RefreshPlayerStatus(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status);

// Sets CurrentTitle from the entry that the player names as current.
void ReadCurrentTitle(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status);

// The information line of entry `index`, cut to its last `ssi_width`
// characters when that is not 0; empty text when the playlist file holds no
// such line. Creates the playlist file, empty, when there is none.
std::string ReadPlaylistEntryLine(SystemInterface& system, const std::string& playlist_path,
                                  std::int32_t index, std::int16_t ssi_width);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_STATUS_H_
