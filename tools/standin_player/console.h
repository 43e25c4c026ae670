// The player's lines on standard output: one per command or change of state,
// flushed at once so the demo's terminal shows them as they happen.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_

#include <string>

namespace standin {

void Say(const std::string& line);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_CONSOLE_H_
