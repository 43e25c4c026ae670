// The top-level window of class "Winamp v1.x" through which other processes
// talk to the player, and its playlist editor's window, which that one names.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_

#include <windows.h>

#include <optional>

#include "message_log.h"
#include "testing/player_model/player_model.h"

namespace standin {

class PlayerWindow {
 public:
  // Nothing is owned; all must outlive the window. `hang_on` and `quit_on`
  // are the query codes it never answers and dies on.
  PlayerWindow(player_model::PlayerModel* player, player_model::PlayerHost* host, MessageLog* log,
               std::optional<long long> hang_on, std::optional<long long> quit_on);

  // Registers the classes and creates the (hidden) windows, the editor's
  // first; the main window, or null on failure.
  HWND Create();

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleEditor(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnQuery(HWND window, WPARAM argument, LPARAM code);
  // A WM_COPYDATA record, logged and handed to the player.
  LRESULT OnFile(LPARAM record, bool to_editor);

  player_model::PlayerModel* player_;
  player_model::PlayerHost* host_;
  MessageLog* log_;
  const std::optional<long long> hang_on_;
  const std::optional<long long> quit_on_;
  HWND editor_ = nullptr;
};

// Waits, at most `timeout_ms`, until no other window of the player's class
// exists; true when none is left. A player that was just killed may leave its
// window behind for a moment, and the remote control must find ours only.
bool WaitUntilNoOtherPlayer(DWORD timeout_ms);

// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_WINDOW_H_
