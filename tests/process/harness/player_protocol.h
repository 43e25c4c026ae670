// The player's numbers for the tests. They come from the program's own list;
// the k-names below are the names the process tests were first written with,
// kept as that list's values (not numbers of their own) until every test
// uses the list's names directly.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_
#define TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_

#include "player/player_messages.h"

namespace harness {

inline constexpr long long kQueryMessage = tunaro::QueryMessage;
inline constexpr long long kCommandMessage = tunaro::CommandMessage;

inline constexpr long long kQueryPlayState = tunaro::QueryPlayState;
inline constexpr long long kQueryLength = tunaro::QueryLength;
inline constexpr long long kQueryPathChar = tunaro::QueryPathChar;
inline constexpr long long kWritePlaylist = tunaro::WritePlaylist;
inline constexpr long long kSetCurrentEntry = tunaro::SetCurrentEntry;
inline constexpr long long kQueryEntryCount = tunaro::QueryEntryCount;
inline constexpr long long kQueryStreamInfo = tunaro::QueryStreamInfo;

inline constexpr long long kCommandPrevious = tunaro::CommandPrevious;
inline constexpr long long kCommandPlay = tunaro::CommandPlay;
inline constexpr long long kCommandPause = tunaro::CommandPause;
inline constexpr long long kCommandStop = tunaro::CommandStop;
inline constexpr long long kCommandNext = tunaro::CommandNext;

inline constexpr long long kStateStopped = tunaro::StateStopped;
inline constexpr long long kStatePlaying = tunaro::StatePlaying;
inline constexpr long long kStatePaused = tunaro::StatePaused;

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_PLAYER_PROTOCOL_H_
