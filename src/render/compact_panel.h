// The compact panel for server-side includes, and its closed notice.
#ifndef TUNARO_RENDER_COMPACT_PANEL_H_
#define TUNARO_RENDER_COMPACT_PANEL_H_

#include "cgi/response_writer.h"
#include "player/status_records.h"
#include "render/page_input.h"

namespace tunaro {

// A small table with no page head or body tags: state and the five controls,
// a drop-down of the playlist, the current title and its details.
// The site's header and footer are not written: the panel stands inside the
// site's own page.
void RenderCompactPanel(ResponseWriter& out, const PageInput& page, const PlayerStatus& status);

// The one-line notice that the player is not running.
void RenderClosedPanel(ResponseWriter& out);

}  // namespace tunaro

#endif  // TUNARO_RENDER_COMPACT_PANEL_H_
