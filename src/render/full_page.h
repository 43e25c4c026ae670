// The full control page and its closed notice.
#ifndef TUNARO_RENDER_FULL_PAGE_H_
#define TUNARO_RENDER_FULL_PAGE_H_

#include "cgi/response_writer.h"
#include "player/status_records.h"
#include "render/page_input.h"

namespace tunaro {

// State, the five controls, the playlist list box and the current entry's
// details, between the site's header and footer (or the default lines).
void RenderFullPage(ResponseWriter& out, const PageInput& page, const PlayerStatus& status);

// The notice that the player is not running, with a link to look again.
void RenderClosedPage(ResponseWriter& out, const PageInput& page);

}  // namespace tunaro

#endif  // TUNARO_RENDER_FULL_PAGE_H_
