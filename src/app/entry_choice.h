// Which playlist entry a list box choice such as "3. Some Title" plays.
#ifndef TUNARO_APP_ENTRY_CHOICE_H_
#define TUNARO_APP_ENTRY_CHOICE_H_

#include <cstdint>
#include <string_view>

#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

// The zero-based playlist index of a list box choice such as "3. Some Title":
// the number before its first "." minus 1. A choice with no "." or no plain
// number there raises RunError 13, one out of range RunError 6.
std::int32_t SelectionIndex(std::string_view selection);

// The entry a choice plays. The page the choice came from may be older than
// the playlist: entries may have been added, removed or moved since. So a
// choice with a title (the text after its first "." and one blank) plays the
// entry that shows that title now, the one nearest to its position when
// several do, and its position only when none does or the choice has no
// title. To see the titles as they are, it has the player write its playlist
// file and reads it (locating it once for the run), and sends nothing else.
std::int32_t ChooseEntry(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status,
                         std::string_view selection);

}  // namespace tunaro

#endif  // TUNARO_APP_ENTRY_CHOICE_H_
