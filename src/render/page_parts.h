// Pieces that the full page and the compact panel share.
#ifndef TUNARO_RENDER_PAGE_PARTS_H_
#define TUNARO_RENDER_PAGE_PARTS_H_

#include "cgi/response_writer.h"
#include "player/status_records.h"
#include "render/page_text.h"

namespace tunaro {

// One "<option>" line per playlist entry, "<option selected>" for the entry
// at the player's current position (for none when that is outside the list:
// marking by title would mark every entry titled alike).
void WriteOptionLines(ResponseWriter& out, const PlayerStatus& status, PageText& text);

}  // namespace tunaro

#endif  // TUNARO_RENDER_PAGE_PARTS_H_
