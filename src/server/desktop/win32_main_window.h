// The server's window and its icon in the notification area: the QR code and
// the address to open on the phone, the checklist with its buttons, the log.
// It draws what DesktopController holds (desktop_view.h) and passes the
// user's clicks to it; plain Win32 and GDI.
#ifndef TUNARO_SERVER_DESKTOP_WIN32_MAIN_WINDOW_H_
#define TUNARO_SERVER_DESKTOP_WIN32_MAIN_WINDOW_H_

#include <functional>
#include <string>
#include <vector>

#include "server/desktop/desktop_view.h"

namespace tunaro::server {

// The window's class, by which a second start finds it.
extern const wchar_t kMainWindowClass[];
// Posted by a second start: show the window and bring it to the front.
constexpr unsigned kShowWindowMessage = 0x8000 + 1;  // WM_APP + 1

// The tray menu's commands, as WM_COMMAND ids.
namespace window_command {
constexpr int kShow = 40001;
constexpr int kOpenRemote = 40002;
constexpr int kAutostart = 40003;
constexpr int kQuit = 40004;
}  // namespace window_command

struct WindowSettings {
  bool start_hidden = false;                 // --tray: only the icon at first
  std::vector<std::string> logon_arguments;  // for "Start with Windows"
  std::function<void()> stop_server;         // called at logoff, before Windows ends us
};

// Shows the window (or only the icon) and runs its messages until Quit, the
// end of the session, or the console's stop event (a console shared with
// cmd.exe still takes Ctrl+C).
void RunMainWindow(DesktopController& controller, const WindowSettings& settings);

// Brings a running copy's window to the front; false when there is none.
bool RaiseRunningWindow();

// A failure, or a notice, told in a message box, for a start without a
// console.
void ShowFailure(const std::string& text);
void ShowNotice(const std::string& text);

// Windows draws this program's windows at the screen's own resolution, not
// scaled up blurred: the QR code's modules stay crisp. Before any window.
void BecomeDpiAware();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_WIN32_MAIN_WINDOW_H_
