// The server's seam for real: kernel32, advapi32 (the registry), iphlpapi
// (the adapters), user32 and shell32 (windows, prompts), in their UTF-16
// forms; and the COM services of win32_network_facts.cc (ole32, oleaut32).
#ifndef TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_
#define TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_

#include "server/system/server_system.h"

namespace tunaro::server {

class Win32ServerSystem : public ServerSystem {
 public:
  std::string ProgramPath() override;
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

  std::string ComputerName() override;
  std::vector<NetworkAdapter> NetworkAdapters() override;
  std::optional<std::vector<ConnectedNetwork>> ConnectedNetworks() override;
  std::optional<FirewallFacts> FirewallFor(const std::string& program) override;

  bool WindowOfClassExists(const std::string& class_name) override;
  ElevatedStart RunElevated(const std::string& program, const std::string& parameters) override;
  bool OpenWithShell(const std::string& target) override;
  std::string ComputerDnsHostName() override;
  std::vector<std::string> ComputerDnsSuffixes() override;

  TimeOfDay LocalTimeOfDay() override;
  std::int64_t UnixTime() override;

  std::string RandomBytes(std::size_t count) override;

  // For the tests of the real exe: UnixTime() runs ahead by the whole seconds
  // the file holds, read at each call, so that a test can let minutes pass at
  // once. Never set in normal use.
  void SetClockShiftFile(const std::string& path) { clock_shift_file_ = path; }

 private:
  std::string clock_shift_file_;
};

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_SYSTEM_WIN32_SERVER_SYSTEM_H_
