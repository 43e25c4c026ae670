#include "player_window.h"

#include <string>

#include "console.h"
#include "player/player_messages.h"

namespace standin {
namespace {

constexpr char kWindowTitle[] = "Tunaro stand-in player";
constexpr char kEditorClass[] = "Tunaro stand-in playlist editor";

// Messages that come from other processes rather than from the window
// manager: the query and command messages and anything in the private range.
bool IsFromOutside(UINT message) { return message == tunaro::CommandMessage || message >= WM_USER; }

}  // namespace

PlayerWindow::PlayerWindow(player_model::PlayerModel* player, player_model::PlayerHost* host,
                           MessageLog* log, std::optional<long long> hang_on,
                           std::optional<long long> quit_on)
    : player_(player), host_(host), log_(log), hang_on_(hang_on), quit_on_(quit_on) {}

HWND PlayerWindow::Create() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA window_class = {};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = &PlayerWindow::Procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = kEditorClass;
  if (!RegisterClassExA(&window_class)) return nullptr;
  editor_ = CreateWindowExA(0, kEditorClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, this);
  if (editor_ == nullptr) return nullptr;
  player_->editor_window = static_cast<long long>(reinterpret_cast<LONG_PTR>(editor_));
  window_class.lpszClassName = tunaro::PlayerWindowClass;
  if (!RegisterClassExA(&window_class)) return nullptr;
  return CreateWindowExA(0, tunaro::PlayerWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW,
                         CW_USEDEFAULT, CW_USEDEFAULT, 275, 116, nullptr, nullptr, instance, this);
}

LRESULT CALLBACK PlayerWindow::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PlayerWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  if (window == self->editor_) return self->HandleEditor(window, message, wparam, lparam);
  return self->Handle(window, message, wparam, lparam);
}

LRESULT PlayerWindow::Handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) return OnFile(lparam, false);
  if (IsFromOutside(message)) log_->Record(message, wparam, lparam);
  switch (message) {
    case tunaro::QueryMessage:
      return OnQuery(window, wparam, lparam);
    case tunaro::CommandMessage:
      player_->Command(wparam, *host_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT PlayerWindow::HandleEditor(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) return OnFile(lparam, true);
  if (IsFromOutside(message)) log_->Record(message, wparam, lparam, true);
  if (message == tunaro::QueryMessage) {
    return static_cast<LRESULT>(
        player_->EditorAnswer(static_cast<long long>(wparam), lparam, *host_));
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT PlayerWindow::OnFile(LPARAM record, bool to_editor) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(record);
  if (data == nullptr) return 0;
  const std::string bytes = data->cbData == 0 || data->lpData == nullptr
                                ? std::string()
                                : std::string(static_cast<const char*>(data->lpData), data->cbData);
  log_->RecordFile(data->dwData, bytes, to_editor);
  return static_cast<LRESULT>(player_->CopyData(data->dwData, bytes, to_editor, *host_));
}

LRESULT PlayerWindow::OnQuery(HWND window, WPARAM argument, LPARAM code) {
  if (hang_on_ && *hang_on_ == code) {
    Say("! hanging on query " + std::to_string(code));
    for (;;) Sleep(1000);
  }
  if (quit_on_ && *quit_on_ == code) {
    Say("! quitting on query " + std::to_string(code));
    DestroyWindow(window);
    ExitProcess(0);
  }
  return static_cast<LRESULT>(player_->Answer(code, argument, *host_));
}

bool WaitUntilNoOtherPlayer(DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  while (FindWindowA(tunaro::PlayerWindowClass, nullptr) != nullptr) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace standin
