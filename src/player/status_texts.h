// The display texts of the player's state and of the current entry's length:
// the one list of the state's names, for the pages and the status answer.
#ifndef TUNARO_PLAYER_STATUS_TEXTS_H_
#define TUNARO_PLAYER_STATUS_TEXTS_H_

#include <cstdint>
#include <string>

namespace tunaro {

// "Playing", "Paused", "Stopped" for the answers 1, 3, 0, as the pages
// write them; empty otherwise.
std::string StateTextFor(std::int16_t play_state);
// The same in lower case, as the status answer writes them, where any other
// answer is "stopped".
std::string StateNameFor(std::int16_t play_state);

// Whole minutes, a colon and two digits of seconds ("62:05" for 3725); empty
// for a negative length, which is what a player reports when it knows none.
std::string LengthTextFor(std::int32_t seconds);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_STATUS_TEXTS_H_
