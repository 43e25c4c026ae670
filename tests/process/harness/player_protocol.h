// The player's message numbers, named for the tests.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_
#define TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_

namespace harness {

constexpr long long kQueryMessage = 1024;   // WM_USER: code in lParam, argument in wParam
constexpr long long kCommandMessage = 273;  // WM_COMMAND: id in wParam, posted

constexpr long long kQueryPlayState = 104;   // 1 playing, 3 paused, 0 stopped
constexpr long long kQueryLength = 105;      // wParam 1: seconds of the current entry
constexpr long long kQueryPathChar = 109;    // wParam: position in the program path
constexpr long long kWritePlaylist = 120;    // answers the current index
constexpr long long kSetCurrentEntry = 121;  // wParam: index from 0
constexpr long long kQueryEntryCount = 124;
constexpr long long kQueryStreamInfo = 126;  // wParam 0: kHz, 1: kbit/s

constexpr long long kCommandPrevious = 40044;
constexpr long long kCommandPlay = 40045;
constexpr long long kCommandPause = 40046;
constexpr long long kCommandStop = 40047;
constexpr long long kCommandNext = 40048;

constexpr long long kStateStopped = 0;
constexpr long long kStatePlaying = 1;
constexpr long long kStatePaused = 3;

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_
