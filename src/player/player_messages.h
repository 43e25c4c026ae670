// Every message the program exchanges with the player, and nothing else.
// Queries are message 1024 (WM_USER) with the code in lParam and the argument
// in wParam, sent and waited for; commands are message 273 (WM_COMMAND) with
// the id in wParam and lParam 0, posted.
#ifndef TUNARO_PLAYER_PLAYER_MESSAGES_H_
#define TUNARO_PLAYER_PLAYER_MESSAGES_H_

#include <cstdint>

namespace tunaro {

constexpr char kPlayerWindowClass[] = "Winamp v1.x";
constexpr std::uint32_t kQueryMessage = 1024;   // WM_USER
constexpr std::uint32_t kCommandMessage = 273;  // WM_COMMAND

// Query codes.
constexpr std::int32_t QueryPlayState = 104;  // 1 playing, 3 paused, 0 stopped
constexpr std::int32_t QueryLength = 105;     // wParam 1: seconds of the current entry
constexpr std::int32_t QueryPathChar = 109;   // wParam n: character n of its program path
constexpr std::int32_t WritePlaylist = 120;   // writes the playlist file, answers the current index
constexpr std::int32_t SetCurrentEntry = 121;  // wParam: the 0-based entry to make current
constexpr std::int32_t QueryEntryCount = 124;
constexpr std::int32_t QueryStreamInfo = 126;  // wParam 0: sample rate in kHz, 1: bit rate

// Command ids.
constexpr std::int32_t CommandPrevious = 40044;
constexpr std::int32_t CommandPlay = 40045;
constexpr std::int32_t CommandPause = 40046;
constexpr std::int32_t CommandStop = 40047;
constexpr std::int32_t CommandNext = 40048;

// How long a query may take before the player counts as hung.
constexpr std::uint32_t kQueryTimeoutMilliseconds = 5000;

// How long a run waits for others to finish with the playlist file before it
// goes on without them. Runs queue here one after another: 32 requests at
// once on a 2,000-entry playlist already wait about 5 s for the last turn,
// so the bound is for a run that never lets go, well under the minute a
// web server gives a CGI program.
constexpr std::uint32_t kPlaylistLockTimeoutMilliseconds = 30000;

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_MESSAGES_H_
