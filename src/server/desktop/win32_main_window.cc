#include "server/desktop/win32_main_window.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <exception>
#include <optional>

#include "base/run_error.h"
#include "server/desktop/qr_code.h"
#include "server/desktop/win32_console.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {

const wchar_t kMainWindowClass[] = L"Tunaro.Server";

namespace {

constexpr wchar_t kTitle[] = L"Tunaro's server";
constexpr UINT kTrayMessage = WM_APP + 2;
constexpr UINT_PTR kLogTimer = 1;
constexpr UINT_PTR kRefreshTimer = 2;
constexpr UINT kLogMs = 250;       // how soon a request shows in the log
constexpr UINT kRefreshMs = 5000;  // how soon a fixed check turns green
constexpr int kRows = 4;
constexpr int kButtonsPerRow = 2;
constexpr int kFirstButtonId = 1000;

// The layout at 96 dots per inch, scaled to the screen's.
constexpr int kMargin = 16;
constexpr int kQrBox = 240;  // the code with its quiet zone, at most
constexpr int kRightX = kMargin + kQrBox + kMargin;
constexpr int kRightWidth = 472;
constexpr int kClientWidth = kRightX + kRightWidth + kMargin;
constexpr int kRowsTop = kMargin + kQrBox + kMargin;
constexpr int kRowHeight = 50;
constexpr int kDevicesTop = kRowsTop + kRows * kRowHeight + 28;
constexpr int kDeviceRows = 4;
constexpr int kDeviceRowHeight = 26;
constexpr int kFirstForgetId = 2000;
constexpr int kLogTop = kDevicesTop + 22 + kDeviceRows * kDeviceRowHeight + 6;
constexpr int kLogHeight = 120;
constexpr int kClientHeight = kLogTop + 20 + kLogHeight + kMargin;
constexpr int kQuietModules = 4;

struct Row {
  HWND label = nullptr, status = nullptr, advice = nullptr;
  HWND buttons[kButtonsPerRow] = {};
  std::vector<CheckAction> actions;
  CheckState state = CheckState::kUnknown;
};

struct Window {
  Window(DesktopController& controller, const WindowSettings& settings)
      : controller(controller), settings(settings) {}

  DesktopController& controller;
  const WindowSettings& settings;
  HWND hwnd = nullptr;
  HWND heading = nullptr, address = nullptr, code = nullptr, hint = nullptr, others = nullptr;
  HWND login = nullptr;
  HWND problem = nullptr, log_heading = nullptr, log = nullptr;
  Row rows[kRows];
  HWND devices_heading = nullptr;
  HWND device_lines[kDeviceRows] = {}, forget[kDeviceRows] = {};
  HFONT normal = nullptr, bold = nullptr, large = nullptr, fixed = nullptr;
  HBRUSH background = nullptr;
  int dpi = 96;
  std::optional<QrModules> qr;
  std::string qr_text;
  std::size_t log_shown = 0;  // the view's log_added the log box shows
  NOTIFYICONDATAW tray{};
  bool tray_added = false;
  bool told_about_tray = false;
  HICON icon = nullptr;
  UINT taskbar_created = 0;

  int Scale(int value) const { return MulDiv(value, dpi, 96); }
};

HFONT MakeFont(const Window& window, int points, int weight, const wchar_t* face) {
  return CreateFontW(-MulDiv(points, window.dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                     DEFAULT_PITCH, face);
}

HWND MakeControl(Window& window, const wchar_t* kind, DWORD style, int x, int y, int width,
                 int height, HFONT font, int id = 0) {
  HWND control = CreateWindowExW(0, kind, L"", WS_CHILD | WS_VISIBLE | style, window.Scale(x),
                                 window.Scale(y), window.Scale(width), window.Scale(height),
                                 window.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void SetText(HWND control, const std::string& text) {
  std::wstring wide = WideFromUtf8(text);
  // Edit controls and statics break lines at CR LF.
  std::wstring crlf;
  for (wchar_t c : wide) {
    if (c == L'\n') crlf += L'\r';
    crlf += c;
  }
  const int length = GetWindowTextLengthW(control);
  std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(control, shown.data(), length + 1);
  shown.resize(static_cast<size_t>(length));
  if (shown != crlf) SetWindowTextW(control, crlf.c_str());
}

void CreateControls(Window& window) {
  window.normal = MakeFont(window, 9, FW_NORMAL, L"Segoe UI");
  window.bold = MakeFont(window, 9, FW_BOLD, L"Segoe UI");
  window.large = MakeFont(window, 16, FW_BOLD, L"Segoe UI");
  window.fixed = MakeFont(window, 9, FW_NORMAL, L"Consolas");
  int y = kMargin;
  window.heading = MakeControl(window, L"STATIC", 0, kRightX, y, kRightWidth, 20, window.bold);
  SetText(window.heading, "Open the remote on your phone:");
  y += 22;
  // An edit box, so that the address can be selected and copied.
  window.address = MakeControl(window, L"EDIT", ES_READONLY | ES_AUTOHSCROLL, kRightX, y,
                               kRightWidth, 34, window.large);
  y += 36;
  // The pairing code in large letters (none with --no-login).
  window.code =
      MakeControl(window, L"STATIC", SS_NOPREFIX, kRightX, y, kRightWidth, 34, window.large);
  y += 36;
  window.hint =
      MakeControl(window, L"STATIC", SS_NOPREFIX, kRightX, y, kRightWidth, 50, window.normal);
  y += 52;
  window.others = MakeControl(window, L"STATIC", 0, kRightX, y, kRightWidth, 54, window.normal);
  y += 56;
  window.login = MakeControl(window, L"STATIC", 0, kRightX, y, kRightWidth, 34, window.normal);
  for (int r = 0; r < kRows; ++r) {
    Row& row = window.rows[r];
    const int top = kRowsTop + r * kRowHeight;
    row.label = MakeControl(window, L"STATIC", 0, kMargin, top, 76, 20, window.bold);
    row.status =
        MakeControl(window, L"STATIC", SS_NOPREFIX, kMargin + 80, top, 380, 20, window.normal);
    row.advice =
        MakeControl(window, L"STATIC", SS_NOPREFIX, kMargin + 80, top + 20, 380, 30, window.normal);
    for (int b = 0; b < kButtonsPerRow; ++b) {
      row.buttons[b] =
          MakeControl(window, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kMargin + 470 + b * 136, top,
                      128, 26, window.normal, kFirstButtonId + r * kButtonsPerRow + b);
      ShowWindow(row.buttons[b], SW_HIDE);
    }
  }
  window.problem =
      MakeControl(window, L"STATIC", SS_NOPREFIX, kMargin, kRowsTop + kRows * kRowHeight + 4,
                  kClientWidth - 2 * kMargin, 20, window.normal);
  window.devices_heading = MakeControl(window, L"STATIC", SS_NOPREFIX, kMargin, kDevicesTop,
                                       kClientWidth - 2 * kMargin, 20, window.bold);
  for (int d = 0; d < kDeviceRows; ++d) {
    const int top = kDevicesTop + 22 + d * kDeviceRowHeight;
    window.device_lines[d] =
        MakeControl(window, L"STATIC", SS_NOPREFIX, kMargin, top + 4, 590, 20, window.normal);
    window.forget[d] = MakeControl(window, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kMargin + 606,
                                   top, 128, 24, window.normal, kFirstForgetId + d);
    SetText(window.forget[d], "Forget");
  }
  window.log_heading = MakeControl(window, L"STATIC", 0, kMargin, kLogTop, 400, 20, window.bold);
  window.log = MakeControl(
      window, L"EDIT", ES_READONLY | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER,
      kMargin, kLogTop + 20, kClientWidth - 2 * kMargin, kLogHeight, window.fixed);
}

RECT QrRect(const Window& window) {
  const int box = window.Scale(kQrBox);
  return RECT{window.Scale(kMargin), window.Scale(kMargin), window.Scale(kMargin) + box,
              window.Scale(kMargin) + box};
}

// Whole pixels per module, so that every module is a crisp square.
void PaintQr(const Window& window, HDC dc) {
  const RECT area = QrRect(window);
  FillRect(dc, &area, window.background);
  if (!window.qr) return;
  const int modules = window.qr->size + 2 * kQuietModules;
  const int pixel = (area.right - area.left) / modules;
  if (pixel < 1) return;
  const int left = area.left + ((area.right - area.left) - pixel * modules) / 2;
  const int top = area.top + ((area.bottom - area.top) - pixel * modules) / 2;
  const RECT whole{left, top, left + pixel * modules, top + pixel * modules};
  FillRect(dc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HBRUSH dark = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int y = 0; y < window.qr->size; ++y) {
    for (int x = 0; x < window.qr->size; ++x) {
      if (!window.qr->Dark(x, y)) continue;
      const int px = left + (x + kQuietModules) * pixel;
      const int py = top + (y + kQuietModules) * pixel;
      const RECT module{px, py, px + pixel, py + pixel};
      FillRect(dc, &module, dark);
    }
  }
}

const char* LabelOf(int row) {
  static const char* const kLabels[kRows] = {"Player", "Network", "Firewall", "Phone"};
  return kLabels[row];
}

void UpdateTrayTip(Window& window) {
  if (!window.tray_added) return;
  const std::wstring tip =
      WideFromUtf8("Tunaro's server: " + PhoneAddress(window.controller.view()));
  lstrcpynW(window.tray.szTip, tip.c_str(), ARRAYSIZE(window.tray.szTip));
  window.tray.uFlags = NIF_TIP;
  Shell_NotifyIconW(NIM_MODIFY, &window.tray);
}

// Draws the view: only what changed is set, so that nothing flickers.
void Update(Window& window) {
  const DesktopView& view = window.controller.view();
  SetText(window.address, PhoneAddress(view));
  const bool pairing = !view.pairing_code.empty();
  SetText(window.code, pairing ? "Code: " + view.pairing_code : std::string());
  SetText(window.hint,
          pairing ? "Scan the QR code with the phone's camera: it pairs the phone, no password "
                    "needed. Or open " +
                        PhoneAddress(view) + "pair and type the code (until " + view.pairing_until +
                        ", for one phone). The phone must be on this PC's Wi-Fi."
                  : "Scan the QR code with the phone's camera, or type the address into its "
                    "browser. The phone must be on the same Wi-Fi as this PC.");
  SetText(window.others, OtherAddressesText(view));
  SetText(window.login, view.login
                            ? "A paired phone stays paired; scripts log in with the password of "
                              "--set-login."
                            : "NO LOGIN (--no-login): anyone on your network can use the remote.");
  if (view.qr_text != window.qr_text) {
    window.qr_text = view.qr_text;
    window.qr = EncodeQr(view.qr_text);
    const RECT area = QrRect(window);
    InvalidateRect(window.hwnd, &area, FALSE);
    UpdateTrayTip(window);
  }
  for (int r = 0; r < kRows; ++r) {
    Row& row = window.rows[r];
    const CheckLine line =
        r < static_cast<int>(view.checklist.size()) ? view.checklist[r] : CheckLine{};
    SetText(row.label, LabelOf(r));
    SetText(row.status, line.status);
    SetText(row.advice, line.advice);
    if (row.state != line.state) {
      row.state = line.state;
      InvalidateRect(row.label, nullptr, TRUE);
    }
    row.actions = line.actions;
    for (int b = 0; b < kButtonsPerRow; ++b) {
      const bool shown = b < static_cast<int>(line.actions.size());
      if (shown) SetText(row.buttons[b], ActionCaption(line.actions[b]));
      ShowWindow(row.buttons[b], shown ? SW_SHOW : SW_HIDE);
    }
  }
  SetText(window.problem, view.action_problem.empty() ? view.devices_problem : view.action_problem);
  const std::size_t devices = view.device_lines.size();
  SetText(window.devices_heading, !view.login    ? std::string()
                                  : devices == 0 ? "Paired devices: none yet"
                                  : devices <= kDeviceRows
                                      ? "Paired devices:"
                                      : "Paired devices (" + std::to_string(devices) +
                                            ", the first " + std::to_string(kDeviceRows) +
                                            " shown; --forget-devices forgets them all):");
  for (int d = 0; d < kDeviceRows; ++d) {
    const bool shown = static_cast<std::size_t>(d) < devices;
    SetText(window.device_lines[d], shown ? view.device_lines[d] : std::string());
    ShowWindow(window.forget[d], shown ? SW_SHOW : SW_HIDE);
  }
  SetText(window.log_heading, "Requests (also in tunaro-server.log beside the program):");
  // Redrawn, and scrolled to its end, only when lines came.
  if (view.log_added != window.log_shown) {
    std::string text;
    for (const std::string& line : view.log_lines) text += line + "\n";
    SetText(window.log, text);
    window.log_shown = view.log_added;
    SendMessageW(window.log, EM_SETSEL, GetWindowTextLengthW(window.log), -1);
    SendMessageW(window.log, EM_SCROLLCARET, 0, 0);
  }
}

COLORREF StateColor(CheckState state) {
  switch (state) {
    case CheckState::kGood:
      return RGB(0, 128, 0);
    case CheckState::kWrong:
      return RGB(192, 0, 0);
    case CheckState::kWaiting:
      return RGB(160, 110, 0);
    case CheckState::kUnknown:
      break;
  }
  return RGB(96, 96, 96);
}

// The icon: a white play sign on blue, drawn here, so the exe needs no
// resource file.
HICON MakeIcon() {
  const int size = GetSystemMetrics(SM_CXICON);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP color = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(dc, color);
  const RECT all{0, 0, size, size};
  HBRUSH blue = CreateSolidBrush(RGB(0, 90, 170));
  FillRect(dc, &all, blue);
  DeleteObject(blue);
  const POINT play[3] = {
      {size * 3 / 10, size / 4}, {size * 3 / 10, size * 3 / 4}, {size * 3 / 4, size / 2}};
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  Polygon(dc, play, 3);
  SelectObject(dc, old);
  std::vector<BYTE> zeros(static_cast<size_t>(size) * size / 8 + size * 2, 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return icon;
}

void AddTrayIcon(Window& window) {
  window.tray.cbSize = sizeof window.tray;
  window.tray.hWnd = window.hwnd;
  window.tray.uID = 1;
  window.tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  window.tray.uCallbackMessage = kTrayMessage;
  window.tray.hIcon = window.icon;
  const std::wstring tip =
      WideFromUtf8("Tunaro's server: " + PhoneAddress(window.controller.view()));
  lstrcpynW(window.tray.szTip, tip.c_str(), ARRAYSIZE(window.tray.szTip));
  window.tray_added = Shell_NotifyIconW(NIM_ADD, &window.tray) != FALSE;
}

void ShowMainWindow(Window& window) {
  window.controller.Refresh();
  Update(window);
  ShowWindow(window.hwnd, IsIconic(window.hwnd) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(window.hwnd);
}

// Closing keeps the server running: the window goes, the icon stays.
void HideToTray(Window& window) {
  ShowWindow(window.hwnd, SW_HIDE);
  if (!window.tray_added || window.told_about_tray) return;
  window.told_about_tray = true;
  window.tray.uFlags = NIF_INFO;
  lstrcpynW(window.tray.szInfoTitle, L"Tunaro's server keeps running",
            ARRAYSIZE(window.tray.szInfoTitle));
  lstrcpynW(window.tray.szInfo, L"Its icon is here: click it for the window, right-click to quit.",
            ARRAYSIZE(window.tray.szInfo));
  Shell_NotifyIconW(NIM_MODIFY, &window.tray);
}

void ShowTrayMenu(Window& window) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, window_command::kShow, L"Show");
  AppendMenuW(menu, MF_STRING, window_command::kOpenRemote, L"Open the remote in the browser");
  AppendMenuW(menu, MF_STRING | (window.controller.AutostartOn() ? MF_CHECKED : MF_UNCHECKED),
              window_command::kAutostart, L"Start with Windows");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, window_command::kQuit, L"Quit");
  SetMenuDefaultItem(menu, window_command::kShow, FALSE);
  POINT at;
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if the window is
  // the foreground one.
  SetForegroundWindow(window.hwnd);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window.hwnd, nullptr);
  PostMessageW(window.hwnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

void OnCommand(Window& window, int id) {
  if (id >= kFirstButtonId && id < kFirstButtonId + kRows * kButtonsPerRow) {
    const Row& row = window.rows[(id - kFirstButtonId) / kButtonsPerRow];
    const size_t which = static_cast<size_t>((id - kFirstButtonId) % kButtonsPerRow);
    if (which < row.actions.size()) {
      window.controller.RunAction(row.actions[which]);
      Update(window);
    }
    return;
  }
  if (id >= kFirstForgetId && id < kFirstForgetId + kDeviceRows) {
    window.controller.ForgetDevice(static_cast<std::size_t>(id - kFirstForgetId));
    Update(window);
    return;
  }
  switch (id) {
    case window_command::kShow:
      ShowMainWindow(window);
      break;
    case window_command::kOpenRemote:
      window.controller.OpenRemoteInBrowser();
      break;
    case window_command::kAutostart:
      try {
        window.controller.SetAutostartOn(!window.controller.AutostartOn(),
                                         window.settings.logon_arguments);
      } catch (const RunError& failure) {
        ShowFailure(failure.description());
      }
      break;
    case window_command::kQuit:
      DestroyWindow(window.hwnd);
      break;
  }
}

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  // Any failure in here is the user's to see, never one out into Windows.
  try {
    if (message == window->taskbar_created && message != 0) {
      AddTrayIcon(*window);  // Explorer started anew and forgot the icon
      return 0;
    }
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintQr(*window, dc);
        EndPaint(hwnd, &paint);
        return 0;
      }
      case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wparam);
        const HWND control = reinterpret_cast<HWND>(lparam);
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        for (const Row& row : window->rows) {
          if (row.label == control) SetTextColor(dc, StateColor(row.state));
        }
        if (control == window->problem) SetTextColor(dc, RGB(192, 0, 0));
        return reinterpret_cast<LRESULT>(window->background);
      }
      case WM_TIMER:
        if (wparam == kLogTimer) {
          if (window->controller.TakeLog() && IsWindowVisible(hwnd)) Update(*window);
        } else if (wparam == kRefreshTimer && IsWindowVisible(hwnd)) {
          window->controller.Refresh();
          Update(*window);
        }
        return 0;
      case WM_COMMAND:
        OnCommand(*window, LOWORD(wparam));
        return 0;
      case kTrayMessage:
        if (lparam == WM_LBUTTONUP || lparam == WM_LBUTTONDBLCLK) {
          ShowMainWindow(*window);
        } else if (lparam == WM_RBUTTONUP || lparam == WM_CONTEXTMENU) {
          ShowTrayMenu(*window);
        }
        return 0;
      case kShowWindowMessage:
        ShowMainWindow(*window);
        return 0;
      case WM_CLOSE:
        if (window->tray_added) {
          HideToTray(*window);
        } else {
          DestroyWindow(hwnd);  // no icon to come back by: closing quits
        }
        return 0;
      case WM_QUERYENDSESSION:
        return TRUE;
      case WM_ENDSESSION:
        // Windows may end the process once this returns.
        if (wparam && window->settings.stop_server) window->settings.stop_server();
        return 0;
      case WM_DESTROY:
        KillTimer(hwnd, kLogTimer);
        KillTimer(hwnd, kRefreshTimer);
        if (window->tray_added) Shell_NotifyIconW(NIM_DELETE, &window->tray);
        PostQuitMessage(0);
        return 0;
    }
  } catch (const RunError& failure) {
    ShowFailure(failure.description());
  } catch (const std::exception& failure) {
    ShowFailure(failure.what());
  } catch (...) {
    ShowFailure("an unexpected failure");
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

void RunMainWindow(DesktopController& controller, const WindowSettings& settings) {
  Window window(controller, settings);
  HDC screen = GetDC(nullptr);
  window.dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  window.background = GetSysColorBrush(COLOR_WINDOW);
  window.icon = MakeIcon();
  window.taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");

  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = WindowProcedure;
  type.hInstance = GetModuleHandleW(nullptr);
  type.hIcon = window.icon;
  type.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  type.hbrBackground = window.background;
  type.lpszClassName = kMainWindowClass;
  RegisterClassExW(&type);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, window.Scale(kClientWidth), window.Scale(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  CreateWindowExW(0, kMainWindowClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT,
                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                  GetModuleHandleW(nullptr), &window);
  if (window.hwnd == nullptr) {
    throw RunError(1,
                   "the window could not be made (error " + std::to_string(GetLastError()) + ")");
  }
  CreateControls(window);
  Update(window);
  AddTrayIcon(window);
  SetTimer(window.hwnd, kLogTimer, kLogMs, nullptr);
  SetTimer(window.hwnd, kRefreshTimer, kRefreshMs, nullptr);
  if (!settings.start_hidden || !window.tray_added) ShowMainWindow(window);

  // The messages, and the stop event that Ctrl+C sets in a console shared
  // with cmd.exe.
  HANDLE stop = static_cast<HANDLE>(StopEvent());
  bool running = true;
  while (running) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0 && IsWindow(window.hwnd)) DestroyWindow(window.hwnd);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        running = false;
        break;
      }
      if (!IsDialogMessageW(window.hwnd, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  for (HFONT font : {window.normal, window.bold, window.large, window.fixed}) DeleteObject(font);
  DestroyIcon(window.icon);
}

bool RaiseRunningWindow() {
  HWND running = FindWindowW(kMainWindowClass, nullptr);
  if (running == nullptr) return false;
  DWORD process = 0;
  GetWindowThreadProcessId(running, &process);
  // This copy was started by the user, so it may hand the foreground on.
  AllowSetForegroundWindow(process);
  return PostMessageW(running, kShowWindowMessage, 0, 0) != FALSE;
}

void ShowFailure(const std::string& text) {
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kTitle, MB_OK | MB_ICONERROR);
}

void ShowNotice(const std::string& text) {
  MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kTitle, MB_OK | MB_ICONINFORMATION);
}

void BecomeDpiAware() { SetProcessDPIAware(); }

}  // namespace tunaro::server
