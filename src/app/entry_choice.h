// Which playlist entry a list box choice such as "3. Some Title" plays.
#ifndef TUNARO_APP_ENTRY_CHOICE_H_
#define TUNARO_APP_ENTRY_CHOICE_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "cgi/read_request.h"
#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

// The entry a choice plays. A choice without a plain number before its
// first "." raises the RunError its `fault` names. The page the choice came
// from may be older than the playlist: entries may have been added, removed
// or moved since. So a choice with a title plays the entry that shows that
// title now, the one nearest to its position when several do, and its
// position only when none does or the choice has no title. To see the titles
// as they are, it has the player write its playlist file and reads it
// (locating it once for the run), and sends nothing else.
std::int32_t ChooseEntry(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status,
                         const EntryChoice& choice);

// The entry of `playlist` nearest to `near` whose title, cut as the pages cut
// it, reads as `shown` the way a browser sends the option back (see
// render/page_text.h), once both have their runs of white space made one
// blank and none at the ends (see PutShownText); nothing when none does.
std::optional<std::int32_t> EntryShowing(SystemInterface& system, const PlaylistText& playlist,
                                         std::int16_t ssi_width, std::string_view shown,
                                         std::int32_t near);

}  // namespace tunaro

#endif  // TUNARO_APP_ENTRY_CHOICE_H_
