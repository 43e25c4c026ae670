#include "server/desktop/win32_login_dialog.h"

#include <windows.h>

#include <string>

#include "server/access/login_file.h"
#include "server/desktop/win32_console.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

constexpr wchar_t kClass[] = L"Tunaro.Login";

struct Dialog {
  HWND hwnd = nullptr, user = nullptr, password = nullptr, again = nullptr, message = nullptr;
  HFONT font = nullptr;
  int dpi = 96;
  bool done = false;
  std::optional<Login> login;

  int Scale(int value) const { return MulDiv(value, dpi, 96); }
};

HWND Make(Dialog& dialog, const wchar_t* kind, const wchar_t* text, DWORD style, int x, int y,
          int width, int height, int id = 0) {
  HWND control = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, dialog.Scale(x),
                                 dialog.Scale(y), dialog.Scale(width), dialog.Scale(height),
                                 dialog.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font), FALSE);
  return control;
}

std::string TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return Utf8FromWide(text);
}

void CreateControls(Dialog& dialog) {
  Make(dialog, L"STATIC",
       L"Choose the user name and password your phone will log in with. The password is kept "
       L"only as a digest, in tunaro-login.htdigest beside the program.",
       0, 16, 12, 368, 48);
  Make(dialog, L"STATIC", L"User name:", 0, 16, 68, 110, 20);
  dialog.user = Make(dialog, L"EDIT", WideFromUtf8(WindowsUserName()).c_str(),
                     WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 130, 66, 254, 24);
  Make(dialog, L"STATIC", L"Password:", 0, 16, 100, 110, 20);
  dialog.password = Make(dialog, L"EDIT", L"",
                         WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL, 130, 98, 254, 24);
  Make(dialog, L"STATIC", L"The same again:", 0, 16, 132, 110, 20);
  dialog.again = Make(dialog, L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                      130, 130, 254, 24);
  dialog.message = Make(dialog, L"STATIC", L"", 0, 16, 162, 368, 36);
  Make(dialog, L"BUTTON", L"Save", BS_DEFPUSHBUTTON | WS_TABSTOP, 204, 204, 86, 28, IDOK);
  Make(dialog, L"BUTTON", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 298, 204, 86, 28, IDCANCEL);
}

void TrySave(Dialog& dialog) {
  Login login{TextOf(dialog.user), TextOf(dialog.password)};
  const char* problem = nullptr;
  if (!IsGoodUserName(login.user)) {
    problem = "A user name of 1 to 64 characters, without a colon or a double quote, please.";
  } else if (login.password.empty()) {
    problem = "The password must not be empty.";
  } else if (login.password != TextOf(dialog.again)) {
    problem = "The two passwords differ. Type them once more.";
  }
  if (problem != nullptr) {
    SetWindowTextW(dialog.message, WideFromUtf8(problem).c_str());
    SetWindowTextW(dialog.password, L"");
    SetWindowTextW(dialog.again, L"");
    SetFocus(dialog.password);
    return;
  }
  dialog.login = login;
  DestroyWindow(dialog.hwnd);
}

LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    dialog = static_cast<Dialog*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    dialog->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
  }
  if (dialog != nullptr) {
    switch (message) {
      case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lparam) == dialog->message) {
          SetTextColor(reinterpret_cast<HDC>(wparam), RGB(192, 0, 0));
        }
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) TrySave(*dialog);
        if (LOWORD(wparam) == IDCANCEL) DestroyWindow(hwnd);
        return 0;
      case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        dialog->done = true;
        return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

std::optional<Login> AskForLoginInWindow() {
  Dialog dialog;
  HDC screen = GetDC(nullptr);
  dialog.dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  dialog.font = CreateFontW(-MulDiv(9, dialog.dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = Procedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  type.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  type.lpszClassName = kClass;
  RegisterClassExW(&type);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, dialog.Scale(400), dialog.Scale(246)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  CreateWindowExW(0, kClass, L"Tunaro's server: set the login", style, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                  GetModuleHandleW(nullptr), &dialog);
  if (dialog.hwnd != nullptr) {
    CreateControls(dialog);
    ShowWindow(dialog.hwnd, SW_SHOW);
    SetForegroundWindow(dialog.hwnd);
    SetFocus(dialog.password);
    MSG message;
    while (!dialog.done && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (!IsDialogMessageW(dialog.hwnd, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  DeleteObject(dialog.font);
  return dialog.login;
}

}  // namespace tunaro::server
