// The player's state for the status answer: what a page shows of it, as
// numbers, read with as few messages as the player allows.
#ifndef TUNARO_PLAYER_LIVE_STATUS_H_
#define TUNARO_PLAYER_LIVE_STATUS_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"
#include "player/status_records.h"

namespace tunaro {

// Asks the player in `window` for its state, has it write its playlist file
// (under the playlist file lock) and reads the file once for the current
// title and the list's hash. Sends no command. A player whose program file
// cannot be found reports an empty title and the hash of no bytes.
LiveStatus ReadLiveStatus(SystemInterface& system, Handle window);

// The player's volume (0 to 255, clamped) as a percentage, rounded half up.
std::int32_t VolumePercent(std::int32_t player_volume);
// A percentage (0 to 100) as the player's volume, rounded half up.
std::int32_t PlayerVolume(std::int32_t percent);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_LIVE_STATUS_H_
