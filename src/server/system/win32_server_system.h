// What the server asks of Windows besides the console: its own folder, the
// addresses to print, the logon start, one copy per session.
#ifndef TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_
#define TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_

#include <string>
#include <vector>

namespace tunaro::server {

// The folder of the running exe (UTF-16, no trailing backslash), and the exe.
std::wstring ProgramFolder();
std::wstring ProgramPath();

// The computer's name and the IPv4 addresses of the interfaces that are up
// (loopback left out).
std::string ComputerName();
std::vector<std::string> UpIpv4Addresses();

// Adds (with the arguments, each quoted) or removes the value "Tunaro" under
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run. False with *why on failure.
bool SetAutostart(bool on, const std::vector<std::string>& arguments, std::string* why);

// One copy per session: the named mutex Local\Tunaro.Server, and beside it a
// small shared block with the running copy's address.
class SingleInstance {
 public:
  SingleInstance();
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  bool IsFirst() const { return first_; }
  // The running copy's address ("" if it has not written one yet).
  std::string RunningAddress() const;
  void PublishAddress(const std::string& address);

 private:
  void* mutex_ = nullptr;
  void* mapping_ = nullptr;
  char* view_ = nullptr;
  bool first_ = false;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_
