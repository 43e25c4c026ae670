// The one seam between the program's logic and the world outside it: the
// process environment, the standard handles, files, a named lock, and the
// windows and processes of other programs. It knows nothing of any one
// program: player/ says which window, which messages and how long to wait.
//
// Texts cross this seam as bytes of the system's ANSI code page, which is how
// the CGI variables, the request body, the files and other programs' answers
// arrive and how the response must leave; a character of that code page may
// take more than one byte (AnsiCodePage says which begin one). The music
// folders' part is the exception: its paths and names are UTF-8, so that a
// name the code page cannot spell is still reached.
//
// Win32System implements it for real (win32_system.cc); FakeSystem (in
// testing/fake_system.h) is an in-process stand-in for the unit tests.
#ifndef TUNARO_PLATFORM_SYSTEM_INTERFACE_H_
#define TUNARO_PLATFORM_SYSTEM_INTERFACE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tunaro {

// An operating-system handle (standard input or output) or a window handle.
using Handle = std::uintptr_t;

// What happened to a message sent to another program's window.
struct MessageAnswer {
  bool answered = false;  // false: the window did not answer in time (hung)
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

// How an attempt at a file or folder of the music folders ended.
enum class FileAccess { kDone, kNotFound, kDenied, kFailed };

// One entry of a folder, as ListFolder hands it over.
struct FolderEntry {
  std::string name;  // UTF-8, without the folder
  bool folder = false;
  // A symbolic link or junction: what it names may lie anywhere.
  bool link = false;
  bool hidden = false;     // marked hidden or system
  std::uint64_t size = 0;  // bytes; 0 for a folder
};

// What FinalPath learns of a file or folder.
struct FinalPathFacts {
  FileAccess access = FileAccess::kFailed;
  // Links and junctions followed, as the system writes it ("\\?\C:\..."); set
  // when access is kDone.
  std::string path;
  bool folder = false;
  std::uint64_t size = 0;  // bytes; 0 for a folder
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

  // --- texts ---------------------------------------------------------------
  // Bytes of the ANSI code page as UTF-8, converted as the system converts
  // them (through UTF-16). Raises RunError 7 for a text too long to convert.
  virtual std::string AnsiToUtf8(const std::string& ansi) = 0;

  // --- runs at the same time ----------------------------------------------
  // Waits at most `timeout_milliseconds` for the lock of this name, shared by
  // the processes of one session; true when it was had. This program holds
  // one lock at a time: released by ReleaseNamedLock or when the process
  // ends.
  virtual bool AcquireNamedLock(const std::string& name, std::uint32_t timeout_milliseconds) = 0;
  virtual void ReleaseNamedLock() = 0;

  // --- other programs' windows ----------------------------------------------
  // The first top-level window of the class (FindWindowA); 0 when there is none.
  virtual Handle FindWindowOfClass(const std::string& class_name) = 0;
  // Sends the message and waits at most `timeout_milliseconds` for the answer.
  virtual MessageAnswer SendMessageWithin(Handle window, std::uint32_t message,
                                          std::uintptr_t wparam, std::intptr_t lparam,
                                          std::uint32_t timeout_milliseconds) = 0;
  // Posts the message; whether that worked is not reported.
  virtual void PostWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                 std::intptr_t lparam) = 0;
  // Hands `bytes` to the window in WM_COPYDATA, `kind` in its dwData (the
  // system copies them into the other program), and waits at most
  // `timeout_milliseconds` for the answer.
  virtual MessageAnswer SendCopyData(Handle window, std::uintptr_t kind, const std::string& bytes,
                                     std::uint32_t timeout_milliseconds) = 0;

  // --- the process behind a window -----------------------------------------
  // The full path of the program file that the process owning `window` runs,
  // as the system knows it; empty text when it cannot be had.
  virtual std::string WindowProcessImagePath(Handle window) = 0;
  // The width of that process's pointers: 32 or 64; 0 when the process
  // cannot be looked at, or when it is a 64-bit one and this program a 32-bit
  // one (under WOW64), which gets its answers cut to 32 bits.
  virtual int WindowProcessPointerBits(Handle window) = 0;
  // The NUL-ended text at `address` in that process's memory, opened once
  // for reading only; nothing when any part of it up to its NUL cannot be
  // read, or no NUL comes within `max_length` characters. A text that ends
  // just before memory the process lacks is read whole.
  virtual std::optional<std::string> ReadProcessText(Handle window, std::uint64_t address,
                                                     std::size_t max_length) = 0;

  // --- the music folders (UTF-8 paths) -------------------------------------
  // Calls `visit` for each entry of the folder ("." and ".." left out), in
  // the system's order, until it returns false. kDone also for an empty folder.
  virtual FileAccess ListFolder(const std::string& path,
                                const std::function<bool(const FolderEntry&)>& visit) = 0;
  // The final path of a file or folder, opened without reading it.
  virtual FinalPathFacts FinalPath(const std::string& path) = 0;
  // At most `size` bytes of a file from `offset` on (fewer at its end);
  // nothing when it cannot be opened or read.
  virtual std::optional<std::string> ReadFilePart(const std::string& path, std::uint64_t offset,
                                                  std::size_t size) = 0;
  // The user's Music folder; empty text when the system names none.
  virtual std::string MusicFolder() = 0;
  // Milliseconds from some fixed moment, never going back.
  virtual std::uint64_t MonotonicMilliseconds() = 0;
};

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_SYSTEM_INTERFACE_H_
