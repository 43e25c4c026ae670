// Walking the text of the player's playlist file. The file is extended M3U:
// a header line, then two lines per entry, its information line
// ("#EXTINF:seconds,title") and its file line. An LF ends a line, CRs are
// dropped wherever they stand, and text after the last LF is never read.
#ifndef TUNARO_PLAYER_PLAYLIST_WALK_H_
#define TUNARO_PLAYER_PLAYLIST_WALK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro {

// Fills titles[k] with the title of entry k (the text after the first comma
// of its information line, cut to the last `ssi_width` characters when that
// is not 0). Entries beyond the last slot are not stored.
void WalkPlaylistTitles(std::string_view content, std::int16_t ssi_width,
                        std::vector<std::string>& titles);

// The whole information line of entry `index` (CRs dropped), uncut; nullopt
// when the text has no such LF-ended line or the index is negative.
bool FindPlaylistEntryLine(std::string_view content, std::int32_t index, std::string& line);

// "Playing", "Paused", "Stopped" for the answers 1, 3, 0; empty otherwise.
std::string StateTextFor(std::int16_t play_state);

// Whole minutes, a colon and two digits of seconds ("62:05" for 3725); empty
// for a negative length, which is what a player reports when it knows none.
std::string LengthTextFor(std::int32_t seconds);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_WALK_H_
