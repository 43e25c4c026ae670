#include "server/desktop/win32_console.h"

// clang-format off
#include <windows.h>
#include <lmcons.h>
#include <shellapi.h>
// clang-format on

#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

// A console is what GetConsoleMode accepts; a pipe or a file is not.
bool IsConsoleHandle(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

bool IsVisible(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  if (IsConsoleHandle(handle)) return true;
  const DWORD type = GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

void WriteTo(DWORD which, const std::string& text) {
  HANDLE handle = GetStdHandle(which);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return;
  if (IsConsoleHandle(handle)) {
    std::wstring wide = WideFromUtf8(text);
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    // Redirected: the bytes as they are (UTF-8), with Windows line ends.
    std::string bytes;
    for (char c : text) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
}

BOOL WINAPI OnConsoleControl(DWORD) {
  SetEvent(static_cast<HANDLE>(StopEvent()));
  // Closing the window ends the process when this returns: give the main
  // thread time to stop the server first (Windows allows about 5 s).
  Sleep(2000);
  return TRUE;
}

}  // namespace

// The event the console's control handler sets: a handler gets no context,
// so this one event is the process's, made at its first use.
void* StopEvent() {
  static HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  return event;
}

void Print(const std::string& text) { WriteTo(STD_OUTPUT_HANDLE, text); }
void PrintError(const std::string& text) { WriteTo(STD_ERROR_HANDLE, text); }
bool OutputIsConsole() { return IsConsoleHandle(GetStdHandle(STD_OUTPUT_HANDLE)); }
bool OutputIsVisible() { return IsVisible(GetStdHandle(STD_OUTPUT_HANDLE)); }
bool ErrorOutputIsVisible() { return IsVisible(GetStdHandle(STD_ERROR_HANDLE)); }
bool InputIsConsole() { return IsConsoleHandle(GetStdHandle(STD_INPUT_HANDLE)); }

std::optional<std::string> ReadInputLine(bool hidden) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (IsConsoleHandle(input)) {
    DWORD mode = 0;
    GetConsoleMode(input, &mode);
    if (hidden) SetConsoleMode(input, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    std::wstring wide;
    wchar_t c = 0;
    DWORD got = 0;
    bool ended = false;
    while (ReadConsoleW(input, &c, 1, &got, nullptr) && got == 1) {
      if (c == L'\n') {
        ended = true;
        break;
      }
      if (c != L'\r') wide += c;
    }
    if (hidden) {
      SetConsoleMode(input, mode);
      Print("\n");  // the Enter that was not echoed
    }
    if (!ended && wide.empty()) return std::nullopt;
    return Utf8FromWide(wide);
  }
  // Byte by byte, so that nothing after the line is taken from the pipe.
  std::string line;
  char c = 0;
  DWORD got = 0;
  bool any = false;
  while (ReadFile(input, &c, 1, &got, nullptr) && got == 1) {
    any = true;
    if (c == '\n') break;
    if (c != '\r') line += c;
  }
  if (!any) return std::nullopt;
  return line;
}

std::string WindowsUserName() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!GetUserNameW(name, &size) || size == 0) return std::string();
  return Utf8FromWide(std::wstring(name, size - 1));
}

std::vector<std::string> ProgramArguments() {
  int count = 0;
  wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(Utf8FromWide(words[i]));
  if (words != nullptr) LocalFree(words);
  return arguments;
}

void InstallStopHandler() {
  StopEvent();
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void WaitForStopRequest() { WaitForSingleObject(static_cast<HANDLE>(StopEvent()), INFINITE); }

bool StopRequestedWithin(int milliseconds) {
  return WaitForSingleObject(static_cast<HANDLE>(StopEvent()), static_cast<DWORD>(milliseconds)) ==
         WAIT_OBJECT_0;
}

unsigned ConsoleOutputCodePage() { return GetConsoleOutputCP(); }

QuickEditOff::QuickEditOff() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (!IsConsoleHandle(input) || !GetConsoleMode(input, &mode)) return;
  mode_ = mode;
  // ENABLE_EXTENDED_FLAGS makes the console take the QuickEdit bit as given.
  changed_ = SetConsoleMode(input, (mode & ~static_cast<DWORD>(ENABLE_QUICK_EDIT_MODE)) |
                                       ENABLE_EXTENDED_FLAGS) != 0;
}

QuickEditOff::~QuickEditOff() {
  if (changed_) SetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), mode_ | ENABLE_EXTENDED_FLAGS);
}

bool LeaveOwnConsole() {
  DWORD processes[2];
  if (GetConsoleWindow() == nullptr || GetConsoleProcessList(processes, 2) != 1) return false;
  return FreeConsole() != 0;
}

}  // namespace tunaro::server
