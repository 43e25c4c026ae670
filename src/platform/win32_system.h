// The seam for real: kernel32 and user32, ANSI forms throughout.
#ifndef TUNARO_PLATFORM_WIN32_SYSTEM_H_
#define TUNARO_PLATFORM_WIN32_SYSTEM_H_

#include <optional>

#include "platform/system_interface.h"

namespace tunaro {

class Win32System : public SystemInterface {
 public:
  std::string EnvironmentVariable(const std::string& name) override;
  std::string ExecutableDirectory() override;
  std::string ExecutableBaseName() override;

  // In win32_code_page.cc.
  AnsiCodePageInfo AnsiCodePage() override;
  std::string AnsiCharacter(char32_t code_point) override;

  Handle StandardInput() override;
  Handle StandardOutput() override;
  std::size_t ReadInput(Handle input, char* buffer, std::size_t size) override;
  void WriteOutput(Handle output, const char* data, std::size_t size) override;
  bool OutputIsFile(Handle output) override;
  bool RewindOutput(Handle output) override;
  bool TruncateOutput(Handle output) override;

  std::string ReadWholeFile(const std::string& path) override;
  std::string ReadOrCreateFile(const std::string& path, std::size_t limit) override;
  bool IsOrdinaryFile(const std::string& path) override;
  std::uint64_t FileWriteTime(const std::string& path) override;  // win32_code_page.cc

  bool LockPlaylistFile(std::uint32_t timeout_milliseconds) override;
  void UnlockPlaylistFile() override;

  Handle FindPlayerWindow() override;
  QueryAnswer SendQuery(Handle window, std::int32_t code, std::int32_t argument) override;
  void PostCommand(Handle window, std::int32_t command_id) override;

  // In win32_player_process.cc.
  std::string PlayerProcessImagePath(Handle window) override;
  int PlayerPointerBits(Handle window) override;
  bool ReadPlayerMemory(Handle window, std::uint64_t address, char* buffer,
                        std::size_t size) override;

 private:
  std::string ExecutablePath();
  void* playlist_mutex_ = nullptr;  // a HANDLE while the lock is held
  std::optional<AnsiCodePageInfo> code_page_;
};

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_WIN32_SYSTEM_H_
