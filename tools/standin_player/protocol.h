// The numbers of the player's window-message interface that the remote
// control relies on.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PROTOCOL_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PROTOCOL_H_

namespace standin {

constexpr char kWindowClass[] = "Winamp v1.x";

// Queries arrive as message 1024 (WM_USER) with the code in lParam and the
// argument in wParam; the message result is the answer.
constexpr unsigned kQueryMessage = 1024;
enum QueryCode : long long {
  kQueryPlayState = 104,
  kQueryLength = 105,      // wParam 1: length in seconds; 0: position in ms
  kQueryPathChar = 109,    // wParam: position in the program path
  kWritePlaylist = 120,    // answers the current index after writing the file
  kSetCurrentEntry = 121,  // wParam: index from 0
  kQueryEntryCount = 124,
  kQueryStreamInfo = 126,  // wParam 0: sample rate kHz, 1: bit rate kbit/s, 2: channels
};

// Commands arrive posted as WM_COMMAND with the id in wParam.
constexpr unsigned kCommandMessage = 273;
enum CommandId : unsigned long long {
  kCommandPrevious = 40044,
  kCommandPlay = 40045,
  kCommandPause = 40046,
  kCommandStop = 40047,
  kCommandNext = 40048,
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PROTOCOL_H_
