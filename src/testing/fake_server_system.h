// An in-process stand-in for the server's seam, for the unit tests: files and
// registry values in maps, a computer name, adapters, networks, a firewall, a
// clock and random bytes as set, the prompts and shell openings it was asked
// for, and failures on request, numbered and worded as the Win32 side's.
#ifndef TUNARO_TESTING_FAKE_SERVER_SYSTEM_H_
#define TUNARO_TESTING_FAKE_SERVER_SYSTEM_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/system/server_system.h"

namespace tunaro::server {

class FakeServerSystem : public ServerSystem {
 public:
  std::string program_path = "C:\\Tunaro\\tunaro-server.exe";
  std::map<std::string, std::string> files;  // by full path
  std::set<std::string> unreadable;          // ReadWholeFile raises for these paths
  std::set<std::string> unwritable;          // WriteWholeFile and AppendToFile raise for these
  std::set<std::string> user_only;           // the files last written by WriteUserOnlyFile
  std::map<std::string, std::string> run_values;
  std::map<std::string, std::string> startup_approved;
  bool run_key_refused = false;  // the Run key cannot be opened
  std::string computer_name = "DESK";
  std::vector<NetworkAdapter> adapters;
  std::optional<std::vector<ConnectedNetwork>> networks;  // nothing: Windows will not say
  std::optional<FirewallFacts> firewall;
  std::set<std::string> window_classes;  // the classes of the open windows
  ElevatedStart elevated_answer = ElevatedStart::kStarted;
  std::vector<std::pair<std::string, std::string>> elevated;  // program, parameters
  std::vector<std::string> opened;                            // OpenWithShell's targets
  std::string dns_host_name = "Desk";
  std::vector<std::string> dns_suffixes;
  TimeOfDay time_of_day;
  std::int64_t unix_time = 1800000000;  // 2027-01-15
  // RandomBytes counts on from this, a byte at a time: distinct and foreseeable.
  unsigned char next_random = 1;

  std::string ProgramPath() override { return program_path; }
  std::string ProgramFolder() override;
  std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) override;
  void WriteWholeFile(const std::string& path, const std::string& bytes) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;
  void AppendToFile(const std::string& path, const std::string& bytes) override;
  void MoveFileOver(const std::string& from, const std::string& to) override;
  void WriteUserOnlyFile(const std::string& path, const std::string& bytes) override;
  void SetRunValue(const std::string& name, const std::string& command) override;
  void RemoveRunValue(const std::string& name) override;
  std::optional<std::string> RunValue(const std::string& name) override;
  std::optional<std::string> StartupApprovedValue(const std::string& name) override;
  void SetStartupApprovedValue(const std::string& name, const std::string& bytes) override;
  void RemoveStartupApprovedValue(const std::string& name) override;
  std::string ComputerName() override { return computer_name; }
  std::vector<NetworkAdapter> NetworkAdapters() override { return adapters; }
  std::optional<std::vector<ConnectedNetwork>> ConnectedNetworks() override { return networks; }
  std::optional<FirewallFacts> FirewallFor(const std::string&) override { return firewall; }
  bool WindowOfClassExists(const std::string& class_name) override {
    return window_classes.count(class_name) != 0;
  }
  ElevatedStart RunElevated(const std::string& program, const std::string& parameters) override;
  bool OpenWithShell(const std::string& target) override;
  std::string ComputerDnsHostName() override { return dns_host_name; }
  std::vector<std::string> ComputerDnsSuffixes() override { return dns_suffixes; }
  TimeOfDay LocalTimeOfDay() override { return time_of_day; }
  std::int64_t UnixTime() override { return unix_time; }
  std::string RandomBytes(std::size_t count) override;
};

}  // namespace tunaro::server

#endif  // TUNARO_TESTING_FAKE_SERVER_SYSTEM_H_
