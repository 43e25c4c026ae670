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

  std::string AnsiToUtf8(const std::string& ansi) override;

  bool AcquireNamedLock(const std::string& name, std::uint32_t timeout_milliseconds) override;
  void ReleaseNamedLock() override;

  Handle FindWindowOfClass(const std::string& class_name) override;
  MessageAnswer SendMessageWithin(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                  std::intptr_t lparam,
                                  std::uint32_t timeout_milliseconds) override;
  void PostWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                         std::intptr_t lparam) override;
  MessageAnswer SendCopyData(Handle window, std::uintptr_t kind, const std::string& bytes,
                             std::uint32_t timeout_milliseconds) override;

  // In win32_window_process.cc.
  std::string WindowProcessImagePath(Handle window) override;
  int WindowProcessPointerBits(Handle window) override;
  std::optional<std::string> ReadProcessText(Handle window, std::uint64_t address,
                                             std::size_t max_length) override;

  // In win32_folders.cc.
  FileAccess ListFolder(const std::string& path,
                        const std::function<bool(const FolderEntry&)>& visit) override;
  FinalPathFacts FinalPath(const std::string& path) override;
  std::optional<std::string> ReadFilePart(const std::string& path, std::uint64_t offset,
                                          std::size_t size) override;
  std::string MusicFolder() override;
  std::uint64_t MonotonicMilliseconds() override;

 private:
  std::string ExecutablePath();
  void* lock_mutex_ = nullptr;  // a HANDLE while the named lock is held
  std::optional<AnsiCodePageInfo> code_page_;
  // GetTickCount's last answer and its wraps, where GetTickCount64 is missing.
  std::uint32_t last_tick_ = 0;
  std::uint64_t tick_wraps_ = 0;
};

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_WIN32_SYSTEM_H_
