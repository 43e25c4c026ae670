// The top-level window of class "Winamp v1.x" through which other processes
// talk to the player.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_

#include <windows.h>

#include "faults.h"
#include "message_log.h"
#include "player.h"

namespace standin {

class PlayerWindow {
 public:
  // Neither pointer is owned; both must outlive the window.
  PlayerWindow(Player* player, MessageLog* log, const Faults& faults);

  // Registers the class and creates the (hidden) window; null on failure.
  HWND Create();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnQuery(HWND window, WPARAM argument, LPARAM code);

  Player* player_;
  MessageLog* log_;
  const Faults& faults_;
};

// Waits, at most `timeout_ms`, until no other window of the player's class
// exists; true when none is left. A player that was just killed may leave its
// window behind for a moment, and the remote control must find ours only.
bool WaitUntilNoOtherPlayer(DWORD timeout_ms);

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_
