// The player's lines on standard output: one per command or change of state,
// flushed at once so the demo's terminal shows them as they happen.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_

#include <string>

#include "playlist.h"

namespace standin {

void Say(const std::string& line);

// "3:25", or "1:02:05" from an hour on; empty for an unknown length.
std::string FormatLength(int seconds);

// "3. Some Title (3:25)" for the current entry, numbered from 1.
std::string DescribeCurrent(const Playlist& playlist);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_
