// The server's seam for real: kernel32, advapi32 (the registry) and iphlpapi
// (the adapters), in their UTF-16 forms.
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
  void WriteUserOnlyFile(const std::string& path, const std::string& bytes) override;

  void SetRunValue(const std::string& name, const std::string& command) override;
  void RemoveRunValue(const std::string& name) override;

  std::string ComputerName() override;
  std::vector<NetworkAdapter> NetworkAdapters() override;
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
