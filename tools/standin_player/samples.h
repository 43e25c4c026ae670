// Built-in playlists, so the player runs without any file: a pleasant one for
// the demo, a hostile one for escaping and byte handling, and generated ones
// of any size for the limits.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_SAMPLES_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_SAMPLES_H_

#include <cstddef>
#include <vector>

#include "testing/player_model/playlist.h"

namespace standin {

using player_model::Entry;

// A dozen invented songs by invented artists, and four more whose names are
// Cyrillic, Greek, Japanese and Polish (with \u0141 and \u017a).
std::vector<Entry> DemoSample();

// Titles that break careless code: commas, markup, quotes and ampersands,
// bytes above 127 (Windows-1252), printf directives, a very long title and an
// unknown length.
std::vector<Entry> HostileSample();

// "Artist 0001 - Title 0001" and so on, with lengths that vary but are the
// same on every run.
std::vector<Entry> SyntheticEntries(std::size_t count);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_SAMPLES_H_
