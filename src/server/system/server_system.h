// The one seam between tunaro-server.exe's logic and Windows, as
// SystemInterface (platform/system_interface.h) is tunaro.exe's: the
// program's own place, whole files, the current user's logon start, the
// network's names and addresses, and the clock. Win32ServerSystem implements it
// for real (win32_server_system.cc); FakeServerSystem (testing/) stands in for
// it in the unit tests.
//
// Texts and paths cross it in UTF-8; the Win32 side speaks UTF-16 to Windows,
// so any path the user's folder has works. A failure raises RunError
// (base/run_error.h) with a number of its table, never a bare Windows error
// code (that would read as one of the exit codes of server_exit.h), and a
// description of what failed, with the system's own error code where it has one.
//
// What it is to offer next, in the same style: the adapters' names, types and
// gateways, the network's
// category and the firewall's rules (INetFwPolicy2), whether the player's
// window is there, the StartupApproved flag beside the Run value.
#ifndef TUNARO_SERVER_SYSTEM_SERVER_SYSTEM_H_
#define TUNARO_SERVER_SYSTEM_SERVER_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunaro::server {

// A network adapter as far as the server looks at it now.
struct NetworkAdapter {
  bool up = false;                // operational: it can carry traffic now
  bool loopback = false;          // the system's own software loopback
  std::vector<std::string> ipv4;  // its IPv4 addresses, dotted, in the system's order
};

// The local wall-clock time of day, as the request log shows it.
struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class ServerSystem {
 public:
  virtual ~ServerSystem() = default;

  // --- the program ----------------------------------------------------------
  // The full path of the running exe, and its folder without a trailing
  // backslash (the release folder it serves and keeps its files in).
  virtual std::string ProgramPath() = 0;
  virtual std::string ProgramFolder() = 0;

  // --- whole files, by full path ---------------------------------------------
  // The file's first `limit` bytes (all of a smaller one); nothing when it
  // does not exist. Raises RunError when it exists but cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) = 0;
  // Makes `bytes` the file's whole content: written to a temporary file beside
  // it and moved over it, so a reader finds the old or the new file, never a
  // part. Raises RunError, the temporary file removed, when it cannot.
  virtual void WriteWholeFile(const std::string& path, const std::string& bytes) = 0;
  // The same, the file (and its temporary one) readable and writable by the
  // current user alone, whatever the folder grants others: a protected access
  // list with the one entry.
  virtual void WriteUserOnlyFile(const std::string& path, const std::string& bytes) = 0;

  // --- the current user's logon start ---------------------------------------
  // The value `name` under HKCU\Software\Microsoft\Windows\CurrentVersion\Run:
  // set to the command line, or removed (a missing one is no failure). Raises
  // RunError when the key cannot be opened or the value not changed.
  virtual void SetRunValue(const std::string& name, const std::string& command) = 0;
  virtual void RemoveRunValue(const std::string& name) = 0;

  // --- the network -----------------------------------------------------------
  // The computer's name; empty when the system will not say.
  virtual std::string ComputerName() = 0;
  // Every adapter with its IPv4 addresses; none when the system will not say.
  virtual std::vector<NetworkAdapter> NetworkAdapters() = 0;
  // The computer's DNS host name ("Living-Room-PC"), which the name above
  // (the NetBIOS one) cuts at 15 characters; empty when the system will not say.
  virtual std::string ComputerDnsHostName() = 0;
  // The DNS suffixes the computer's name may carry: its primary one
  // ("corp.example", rare at home) and those its networks gave its adapters
  // ("fritz.box", "home"); none when it has none.
  virtual std::vector<std::string> ComputerDnsSuffixes() = 0;

  // --- the clock -------------------------------------------------------------
  virtual TimeOfDay LocalTimeOfDay() = 0;
  // Whole seconds since 1970-01-01 UTC.
  virtual std::int64_t UnixTime() = 0;

  // --- chance ----------------------------------------------------------------
  // `count` bytes of the system's cryptographic random generator. Raises
  // RunError when it fails.
  virtual std::string RandomBytes(std::size_t count) = 0;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_SYSTEM_SERVER_SYSTEM_H_
