// The one seam between the program's logic and the world outside it: the
// process environment, the standard handles, files, and the player's window.
//
// Texts cross this seam as bytes of the system's ANSI code page, which is how
// the CGI variables, the request body, the files and the player's answers
// arrive and how the response must leave; a character of that code page may
// take more than one byte (AnsiCodePage says which begin one).
//
// Win32System implements it for real (win32_system.cc); FakeSystem (in
// fake_system.h) is an in-process stand-in for the unit tests.
#ifndef TUNARO_PLATFORM_SYSTEM_INTERFACE_H_
#define TUNARO_PLATFORM_SYSTEM_INTERFACE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tunaro {

// An operating-system handle (standard input or output) or a window handle.
using Handle = std::uintptr_t;

// What happened to a query sent to the player's window.
struct QueryAnswer {
  bool answered = false;  // false: the player did not answer in time (hung)
  // The message result as this program's LRESULT holds it, widened with its
  // sign to 64 bits; 0 when the window has gone.
  std::int64_t value = 0;
};

// The system's ANSI code page: its number, and the bytes that begin a
// two-byte character in it (none in single-byte code pages and in UTF-8).
struct AnsiCodePageInfo {
  std::uint32_t number = 1252;
  std::array<bool, 256> lead_bytes{};
};

class SystemInterface {
 public:
  virtual ~SystemInterface() = default;

  // --- process environment -------------------------------------------------
  // The value of an environment variable, empty text when it is not set.
  virtual std::string EnvironmentVariable(const std::string& name) = 0;
  // The full path of the directory holding the program's own executable,
  // without a trailing separator.
  virtual std::string ExecutableDirectory() = 0;
  // The file name of the program's own executable without directory and
  // extension ("tunaro" for ...\tunaro.exe).
  virtual std::string ExecutableBaseName() = 0;

  // --- text ----------------------------------------------------------------
  // Learned once per run.
  virtual AnsiCodePageInfo AnsiCodePage() = 0;
  // The bytes of one Unicode character in the ANSI code page when it has
  // that very character (no look-alike: "\u0141" is not "L"); empty text when
  // it has not.
  virtual std::string AnsiCharacter(char32_t code_point) = 0;

  // --- standard handles ----------------------------------------------------
  // GetStdHandle(-10) and GetStdHandle(-11); stored unchecked.
  virtual Handle StandardInput() = 0;
  virtual Handle StandardOutput() = 0;
  // One synchronous read of at most `size` bytes; the count that arrived,
  // 0 on end of input or failure.
  virtual std::size_t ReadInput(Handle input, char* buffer, std::size_t size) = 0;
  // One synchronous write request; a failed or short write is not reported.
  virtual void WriteOutput(Handle output, const char* data, std::size_t size) = 0;
  // True when the output is a disk file, which can be rewound and cut.
  virtual bool OutputIsFile(Handle output) = 0;
  // Moves the output to offset 0 from its start; false where the device cannot
  // be repositioned (a pipe).
  virtual bool RewindOutput(Handle output) = 0;
  // Cuts the output off at its current position; false where it cannot.
  virtual bool TruncateOutput(Handle output) = 0;

  // --- files ---------------------------------------------------------------
  // The whole content of an existing file in one read. Raises RunError 53
  // (file not found) or 75 (path/file access error) when it cannot be read.
  virtual std::string ReadWholeFile(const std::string& path) = 0;
  // Opens a file for reading, creating it empty when it does not exist, and
  // returns at most its first `limit` bytes. Raises RunError when it can be
  // neither opened nor created.
  virtual std::string ReadOrCreateFile(const std::string& path, std::size_t limit) = 0;
  // True when `path` is not empty and names an ordinary file: not a
  // directory, and not marked hidden or system.
  virtual bool IsOrdinaryFile(const std::string& path) = 0;
  // When the file was last written, in the system's ticks (later is larger);
  // 0 when that cannot be had.
  virtual std::uint64_t FileWriteTime(const std::string& path) = 0;

  // --- runs at the same time ----------------------------------------------
  // Waits at most `timeout_milliseconds` for the machine-wide lock that keeps
  // one run's reading of the playlist file apart from another run's request
  // to rewrite it; true when it was had. Released by UnlockPlaylistFile or
  // when the process ends.
  virtual bool LockPlaylistFile(std::uint32_t timeout_milliseconds) = 0;
  virtual void UnlockPlaylistFile() = 0;

  // --- the player ----------------------------------------------------------
  // FindWindowA("Winamp v1.x", NULL); 0 when there is none.
  virtual Handle FindPlayerWindow() = 0;
  // Message 1024 (WM_USER) with the code in lParam and the argument in wParam,
  // sent and waited for, with a bound on the wait.
  virtual QueryAnswer SendQuery(Handle window, std::int32_t code, std::int32_t argument) = 0;
  // Message 273 (WM_COMMAND) with the id in wParam and lParam 0, posted.
  virtual void PostCommand(Handle window, std::int32_t command_id) = 0;

  // --- the player's process --------------------------------------------------
  // The full path of the program file that the process owning `window` runs,
  // as the system knows it; empty text when it cannot be had.
  virtual std::string PlayerProcessImagePath(Handle window) = 0;
  // The width of the player's pointers: 32 for a 32-bit player (and always
  // for a 32-bit build of this program), 64 for a 64-bit one; 0 when the
  // player's process cannot be looked at.
  virtual int PlayerPointerBits(Handle window) = 0;
  // Copies the `size` bytes at `address` in the player's memory into
  // `buffer`, the process opened for reading only; false unless every byte
  // could be read.
  virtual bool ReadPlayerMemory(Handle window, std::uint64_t address, char* buffer,
                                std::size_t size) = 0;
};

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_SYSTEM_INTERFACE_H_
