// The console of tunaro-server.exe: text out (Unicode through WriteConsoleW,
// so any code page shows it), lines in (hidden for passwords), Ctrl+C. Texts
// are UTF-8 on our side.
#ifndef TUNARO_SERVER_DESKTOP_WIN32_CONSOLE_H_
#define TUNARO_SERVER_DESKTOP_WIN32_CONSOLE_H_

#include <optional>
#include <string>
#include <vector>

namespace tunaro::server {

// Writes UTF-8 text to standard output; a console gets it as Unicode.
void Print(const std::string& text);
void PrintError(const std::string& text);
bool OutputIsConsole();
// Whether a text on standard output or error reaches anyone: a console, or
// a file, pipe or device it was redirected to (not so after a start without a
// console, or once LeaveOwnConsole let it go).
bool OutputIsVisible();
bool ErrorOutputIsVisible();
bool InputIsConsole();

// Reads one line from standard input without its line end; `hidden` turns
// the console's echo off while it is typed. Nothing at the end of input. Input
// that is no console (--set-login's pipe) is read as UTF-8 bytes.
std::optional<std::string> ReadInputLine(bool hidden);

// The Windows user name, for the login's default.
std::string WindowsUserName();

// The program's arguments as UTF-8, without the program's name.
std::vector<std::string> ProgramArguments();

// Ctrl+C, Ctrl+Break, closing the window, logoff or shutdown make
// WaitForStopRequest return, and StopRequestedWithin true. StopEvent is the
// event they set, for a window's message loop.
void InstallStopHandler();
void WaitForStopRequest();
bool StopRequestedWithin(int milliseconds);
void* StopEvent();

// The console's output code page (GetConsoleOutputCP), 0 without a console.
unsigned ConsoleOutputCodePage();

// The console's QuickEdit mode switched off while this lives, and put back
// after: while a selection made with it lasts, every write to the console
// blocks, and with it whatever writes.
class QuickEditOff {
 public:
  QuickEditOff();
  ~QuickEditOff();
  QuickEditOff(const QuickEditOff&) = delete;
  QuickEditOff& operator=(const QuickEditOff&) = delete;

 private:
  unsigned long mode_ = 0;
  bool changed_ = false;
};

// Lets go of a console that Windows opened for this program alone (a
// double-click, a logon start): the window is then all the user sees. A
// console shared with the program that started it (cmd.exe) stays. True
// when it let go.
bool LeaveOwnConsole();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_WIN32_CONSOLE_H_
