// The floor with the player's window looked up: what every run that talks to
// the player pays before its first message. Under Wine, loading user32 (its
// window station, desktop and graphics driver) is most of a run's start.
//
//   floor_window_cgi.exe [N]   also has the player write its playlist file N
//                              times, as a status refresh makes it do
#include <windows.h>

#include <cstdlib>

#include "player/player_messages.h"

int main(int argc, char** argv) {
  static const char kHeader[] = "Content-type: text/html\r\n\r\n";
  const HWND player = FindWindowA(tunaro::PlayerWindowClass, nullptr);
  const int writes = argc > 1 ? std::atoi(argv[1]) : 0;
  for (int i = 0; player != nullptr && i < writes; ++i) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(player, tunaro::QueryMessage, 0, tunaro::WritePlaylist,
                        SMTO_ABORTIFHUNG | SMTO_BLOCK, tunaro::QueryTimeoutMilliseconds, &answer);
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), kHeader, sizeof kHeader - 1, &written, nullptr);
  return player != nullptr ? 0 : 1;
}
