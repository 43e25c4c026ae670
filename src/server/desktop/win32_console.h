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
// WaitForStopRequest return, and StopRequestedWithin true.
void InstallStopHandler();
void WaitForStopRequest();
bool StopRequestedWithin(int milliseconds);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_DESKTOP_WIN32_CONSOLE_H_
