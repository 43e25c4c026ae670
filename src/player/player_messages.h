// Every message the program exchanges with the player, and nothing else.
// Queries are message 1024 (WM_USER) with the code in lParam and the argument
// in wParam, sent and waited for; commands are message 273 (WM_COMMAND) with
// the id in wParam and lParam 0, posted. Files are handed over in message 74
// (WM_COPYDATA), its kind in the record's dwData. The playlist editor's
// window, which the main window names, takes message 1024 the other way
// round: the code in wParam and the value in lParam.
//
// Every constant here is named as the player's messages are, without the "k"
// of the program's other constants: they are the player's terms, and one
// style holds for all of them.
//
// This file is the one list of the player's numbers: the stand-in player, the
// probe and the test harness include it, and the test scripts read the
// "constexpr std::int32_t Name = number;" lines below.
#ifndef TUNARO_PLAYER_PLAYER_MESSAGES_H_
#define TUNARO_PLAYER_PLAYER_MESSAGES_H_

#include <cstdint>

namespace tunaro {

constexpr char PlayerWindowClass[] = "Winamp v1.x";

// Window messages.
constexpr std::int32_t QueryMessage = 1024;   // WM_USER
constexpr std::int32_t CommandMessage = 273;  // WM_COMMAND
constexpr std::int32_t CopyDataMessage = 74;  // WM_COPYDATA

// Query codes.
constexpr std::int32_t QueryPlayState = 104;  // 1 playing, 3 paused, 0 stopped
constexpr std::int32_t QueryLength = 105;     // wParam 1: seconds of the current entry
constexpr std::int32_t QueryPosition = 105;   // wParam 0: milliseconds into it
constexpr std::int32_t JumpToTime = 106;      // wParam: ms; answers -1 stopped, 1 past the end, 0
constexpr std::int32_t ClearPlaylist = 101;   // empties the playlist
constexpr std::int32_t QueryPathChar = 109;   // wParam n: character n of its program path
constexpr std::int32_t WritePlaylist = 120;   // writes the playlist file, answers the current index
constexpr std::int32_t SetCurrentEntry = 121;  // wParam: the 0-based entry to make current
constexpr std::int32_t QueryEntryCount = 124;
constexpr std::int32_t SetVolume = 122;        // wParam 0-255 sets it; AskVolume asks
constexpr std::int32_t QueryStreamInfo = 126;  // wParam 0: sample rate in kHz, 1: bit rate
constexpr std::int32_t QueryShuffle = 250;     // 1 on, 0 off
constexpr std::int32_t QueryRepeat = 251;
constexpr std::int32_t SetShuffle = 252;  // wParam 1 on, 0 off
constexpr std::int32_t SetRepeat = 253;
// wParam EditorWindow: the handle of the playlist editor's window.
constexpr std::int32_t QueryWindow = 260;
constexpr std::int32_t EditorWindow = 1;
// The address of a NUL-ended ANSI text in the player's own memory: the folder
// of its settings (2.90 to 5.1 keep the playlist file there) and the folder of
// its playlists (5.11 on). A version that does not know a query answers 1.
constexpr std::int32_t QuerySettingsDirectory = 335;
constexpr std::int32_t QueryPlaylistDirectory = 337;

// The playlist editor's codes (wParam; the value in lParam).
constexpr std::int32_t EditorDelete = 104;  // deletes entry lParam (from 0)
constexpr std::int32_t EditorSwap = 105;    // lParam (from << 16) | to: swaps the two entries
// The longest index EditorSwap carries.
constexpr std::int32_t EditorSwapLastIndex = 65535;

// The kinds of WM_COPYDATA (dwData). To the main window: the path of a file to
// append to the playlist, NUL-ended, in the ANSI code page or in UTF-16 (a
// player that does not know the kind takes nothing). To the playlist
// editor's window: an InsertRecord, which puts the file at its index.
constexpr std::int32_t AppendFileAnsi = 100;
constexpr std::int32_t AppendFileWide = 1100;
constexpr std::int32_t InsertFileAnsi = 106;  // {char file[260]; int index;}
constexpr std::int32_t InsertFileWide = 114;  // {wchar_t file[260]; int index;}
// The characters of an insert record's path, its NUL among them: a longer
// path can only be appended.
constexpr std::int32_t InsertPathUnits = 260;

// Command ids.
constexpr std::int32_t CommandPrevious = 40044;
constexpr std::int32_t CommandPlay = 40045;
constexpr std::int32_t CommandPause = 40046;
constexpr std::int32_t CommandStop = 40047;
constexpr std::int32_t CommandNext = 40048;

// The SetVolume argument that asks for the volume instead of setting it.
constexpr std::int32_t AskVolume = -666;

// Play state answers.
constexpr std::int32_t StateStopped = 0;
constexpr std::int32_t StatePlaying = 1;
constexpr std::int32_t StatePaused = 3;

// How long a query may take before the player counts as hung.
constexpr std::uint32_t QueryTimeoutMilliseconds = 5000;

// How long a run waits for others to finish with the playlist file before it
// goes on without them. Runs queue here one after another: 32 requests at
// once on a 2,000-entry playlist already wait about 5 s for the last turn,
// so the bound is for a run that never lets go, well under the minute a
// web server gives a CGI program.
constexpr std::uint32_t PlaylistLockTimeoutMilliseconds = 30000;

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_MESSAGES_H_
