// The full control page and its closed notice.
#ifndef TUNARO_RENDER_FULL_PAGE_H_
#define TUNARO_RENDER_FULL_PAGE_H_

#include "app/settings.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

// State, the five controls, the playlist list box and the current entry's
// details, between the site's header and footer (or the default lines).
void RenderFullPage(SystemInterface& system, ResponseWriter& out, const Settings& settings,
                    const PlayerStatus& status);

// The notice that the player is not running, with a link to look again.
void RenderClosedPage(SystemInterface& system, ResponseWriter& out, const Settings& settings);

}  // namespace tunaro

#endif  // TUNARO_RENDER_FULL_PAGE_H_
