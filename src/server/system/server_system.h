// The one seam between tunaro-server.exe's logic and Windows, as
// SystemInterface (platform/system_interface.h) is tunaro.exe's: the
// program's own place, whole files and the log's appends, the current user's
// logon start, the network's names, addresses and categories, the firewall's
// rules, the desktop's windows and prompts, random bytes, and the clocks.
// Win32ServerSystem implements it for real (win32_server_system.cc);
// FakeServerSystem (testing/) stands in for it in the unit tests.
//
// Texts and paths cross it in UTF-8; the Win32 side speaks UTF-16 to Windows,
// so any path the user's folder has works. A failure raises RunError
// (base/run_error.h) with a number of its table, never a bare Windows error
// code (that would read as one of the exit codes of server_exit.h), and a
// description of what failed, with the system's own error code where it has one.
#ifndef TUNARO_SERVER_SYSTEM_SERVER_SYSTEM_H_
#define TUNARO_SERVER_SYSTEM_SERVER_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tunaro::server {

// A network adapter as far as the server looks at it.
struct NetworkAdapter {
  bool up = false;                // operational: it can carry traffic now
  bool loopback = false;          // the system's own software loopback
  std::vector<std::string> ipv4;  // its IPv4 addresses, dotted, in the system's order
  std::string name;               // as the user knows it: "Wi-Fi", "Ethernet 2"
  std::string description;        // its driver's: "Hyper-V Virtual Ethernet Adapter"
  std::string id;                 // its GUID, "{...}", as networks name their adapters
  int interface_index = 0;        // what Set-NetConnectionProfile -InterfaceIndex takes
  int type = 0;                   // the interface type (IANA ifType: 6 Ethernet, 71 Wi-Fi)
  bool has_gateway = false;       // an IPv4 default gateway: the way to the home router
};

// A network Windows is connected to, with its category (the firewall's
// profile) and the adapters it is reached through.
enum class NetworkCategory { kPublic, kPrivate, kDomain };
struct ConnectedNetwork {
  std::string name;
  NetworkCategory category = NetworkCategory::kPublic;
  std::vector<std::string> adapter_ids;  // as NetworkAdapter::id
};

// The firewall's profiles, as the bits Windows gives them.
namespace firewall_profile {
constexpr int kDomain = 1;
constexpr int kPrivate = 2;
constexpr int kPublic = 4;
}  // namespace firewall_profile

// A rule of the firewall that names a program.
struct FirewallRule {
  std::string name;
  bool inbound = true;
  bool enabled = true;
  bool allow = true;  // else it blocks
  int profiles = 0;   // firewall_profile bits
};

// What the firewall says about one program.
struct FirewallFacts {
  int current_profiles = 0;         // the profiles of the networks connected now
  int enabled_profiles = 0;         // the profiles whose firewall is on
  std::vector<FirewallRule> rules;  // the rules naming the program
};

// How a program started through the elevation prompt fared.
enum class ElevatedStart { kStarted, kDeclined, kFailed };

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
  // The file's size; nothing when it does not exist.
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;
  // Adds `bytes` at the file's end, making it when missing. Raises RunError.
  virtual void AppendToFile(const std::string& path, const std::string& bytes) = 0;
  // Moves `from` to `to`, replacing `to`. Raises RunError.
  virtual void MoveFileOver(const std::string& from, const std::string& to) = 0;
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
  // The value's command line; nothing when it is not there.
  virtual std::optional<std::string> RunValue(const std::string& name) = 0;
  // The same name's value under the key StartupApproved\Run (beside Run, under
  // ...\CurrentVersion\Explorer), where Task Manager and Settings mark a logon
  // start enabled or disabled: its bytes, nothing when it is not there. Set
  // and removed as the Run value is.
  virtual std::optional<std::string> StartupApprovedValue(const std::string& name) = 0;
  virtual void SetStartupApprovedValue(const std::string& name, const std::string& bytes) = 0;
  virtual void RemoveStartupApprovedValue(const std::string& name) = 0;

  // --- the network -----------------------------------------------------------
  // The computer's name; empty when the system will not say.
  virtual std::string ComputerName() = 0;
  // Every adapter with its IPv4 addresses; none when the system will not say.
  virtual std::vector<NetworkAdapter> NetworkAdapters() = 0;
  // The networks connected now; nothing when Windows will not say.
  virtual std::optional<std::vector<ConnectedNetwork>> ConnectedNetworks() = 0;
  // The firewall's profiles and its rules for `program` (a full path, any
  // letter case); nothing when it will not say. Needs no administrator.
  virtual std::optional<FirewallFacts> FirewallFor(const std::string& program) = 0;

  // --- the desktop -------------------------------------------------------------
  // Whether a top-level window of the class is open in this session.
  virtual bool WindowOfClassExists(const std::string& class_name) = 0;
  // Starts `program` with `parameters` through the elevation prompt (UAC),
  // without waiting for it.
  virtual ElevatedStart RunElevated(const std::string& program, const std::string& parameters) = 0;
  // Opens an address (a web page, a settings page) as a double-click would;
  // false when Windows could not.
  virtual bool OpenWithShell(const std::string& target) = 0;
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
