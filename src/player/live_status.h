// The player's state for the status answer: what a page shows of it, as
// numbers, read with as few messages as the player allows.
#ifndef TUNARO_PLAYER_LIVE_STATUS_H_
#define TUNARO_PLAYER_LIVE_STATUS_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

struct LiveStatus {
  std::int16_t play_state = 0;        // as QueryPlayState answers it
  std::string title;                  // the current entry's title, whole, UTF-8
  std::int32_t position_seconds = 0;  // whole seconds into it, never negative
  std::int32_t length_seconds = -1;   // -1: unknown
  std::int32_t volume_percent = 0;    // 0 to 100
  bool shuffle = false;
  bool repeat = false;
  std::int32_t current = 0;  // the current entry from 1; 0: none
  std::int32_t entries = 0;  // as the player counts them, never negative
  std::int32_t kbps = 0;
  std::int32_t khz = 0;
  std::uint64_t list_hash = 0;  // of the playlist file's bytes
};

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
