// The compact panel for server-side includes, and its closed notice.
#ifndef TUNARO_RENDER_COMPACT_PANEL_H_
#define TUNARO_RENDER_COMPACT_PANEL_H_

#include "app/settings.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

// A small table with no page head or body tags: state and the five controls,
// a drop-down of the playlist, the current title and its details.
void RenderCompactPanel(SystemInterface& system, ResponseWriter& out, const Settings& settings,
                        const PlayerStatus& status);

// The one-line notice that the player is not running.
void RenderClosedPanel(ResponseWriter& out);

}  // namespace tunaro

#endif  // TUNARO_RENDER_COMPACT_PANEL_H_
