#include "platform/win32_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "base/run_error.h"
#include "base/win32_files.h"
#include "platform/ansi_characters.h"
#include "platform/win32_handles.h"

namespace tunaro {
namespace {

HANDLE OpenForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void WriteAll(HANDLE output, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(output, data, want, &written, nullptr) || written == 0) return;
    data += written;
    size -= written;
  }
}

MessageAnswer SendWithin(Handle window, UINT message, std::uintptr_t wparam, std::intptr_t lparam,
                         std::uint32_t timeout_milliseconds) {
  DWORD_PTR result = 0;
  SetLastError(ERROR_SUCCESS);
  const LRESULT sent = SendMessageTimeoutA(
      AsWindow(window), message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam),
      SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout_milliseconds, &result);
  MessageAnswer answer;
  if (sent == 0) {
    // Only a timeout is a hung window; any other failure means the window
    // has gone, which answers 0.
    answer.answered = GetLastError() != ERROR_TIMEOUT;
    return answer;
  }
  answer.answered = true;
  answer.value = static_cast<std::int64_t>(static_cast<LRESULT>(result));
  return answer;
}

}  // namespace

std::string Win32System::EnvironmentVariable(const std::string& name) {
  std::string value(256, '\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return {};  // unset, or set to empty text
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);  // the length needed, terminator included
  }
}

std::string Win32System::ExecutablePath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// A folder or file name may hold a two-byte character whose second byte is a
// backslash: the separators are found as characters.
std::string Win32System::ExecutableDirectory() {
  const std::string path = ExecutablePath();
  const std::size_t slash = AnsiCharacters(*this).FindLastOf(path, "\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string Win32System::ExecutableBaseName() {
  const CharacterRule characters = AnsiCharacters(*this);
  std::string name = ExecutablePath();
  const std::size_t slash = characters.FindLastOf(name, "\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = characters.FindLastOf(name, ".");
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

Handle Win32System::StandardInput() {
  return reinterpret_cast<Handle>(GetStdHandle(STD_INPUT_HANDLE));
}

Handle Win32System::StandardOutput() {
  return reinterpret_cast<Handle>(GetStdHandle(STD_OUTPUT_HANDLE));
}

std::size_t Win32System::ReadInput(Handle input, char* buffer, std::size_t size) {
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  DWORD got = 0;
  if (!ReadFile(AsHandle(input), buffer, want, &got, nullptr)) return 0;
  return got;
}

void Win32System::WriteOutput(Handle output, const char* data, std::size_t size) {
  WriteAll(AsHandle(output), data, size);
}

bool Win32System::OutputIsFile(Handle output) {
  return GetFileType(AsHandle(output)) == FILE_TYPE_DISK;
}

// Only a disk file can be repositioned; on a pipe or console the rewind and
// the cut fail without effect.
bool Win32System::RewindOutput(Handle output) {
  if (!OutputIsFile(output)) return false;
  return SetFilePointer(AsHandle(output), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool Win32System::TruncateOutput(Handle output) {
  if (!OutputIsFile(output)) return false;
  return SetEndOfFile(AsHandle(output)) != 0;
}

std::string Win32System::ReadWholeFile(const std::string& path) {
  const HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE) throw FileError(GetLastError());
  return ReadAndClose(file);
}

// The playlist file is the player's: it is only ever read, and created empty
// when it is missing, so a read-only one reads as well as any.
std::string Win32System::ReadOrCreateFile(const std::string& path, std::size_t limit) {
  HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
    file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) throw FileError(GetLastError());
  return ReadAndClose(file, limit);
}

bool Win32System::IsOrdinaryFile(const std::string& path) {
  // No wildcard search: a pattern names no one file.
  if (path.empty() || path.find_first_of("*?") != std::string::npos) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
  return (attributes & kNotOrdinary) == 0;
}

std::string Win32System::AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return {};
  // One UTF-16 unit per byte at most, three UTF-8 bytes per unit at most.
  if (ansi.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 3)) {
    throw RunError(error_number::kOutOfMemory);
  }
  const int size = static_cast<int>(ansi.size());
  std::wstring wide(ansi.size(), L'\0');
  const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), size);
  if (units <= 0) return {};
  std::string utf8(static_cast<std::size_t>(units) * 3, '\0');
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
  return utf8;
}

bool Win32System::AcquireNamedLock(const std::string& name, std::uint32_t timeout_milliseconds) {
#ifdef TUNARO_WITHOUT_PLAYLIST_LOCK
  // Only for the load test that shows what the playlist lock prevents.
  (void)name;
  (void)timeout_milliseconds;
  return false;
#else
  if (lock_mutex_ != nullptr) return true;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return false;
  const DWORD waited = WaitForSingleObject(mutex, timeout_milliseconds);
  // An abandoned lock was left by a process that ended while holding it: ours now.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  lock_mutex_ = mutex;
  return true;
#endif
}

void Win32System::ReleaseNamedLock() {
  if (lock_mutex_ == nullptr) return;
  ReleaseMutex(static_cast<HANDLE>(lock_mutex_));
  CloseHandle(static_cast<HANDLE>(lock_mutex_));
  lock_mutex_ = nullptr;
}

Handle Win32System::FindWindowOfClass(const std::string& class_name) {
  return reinterpret_cast<Handle>(FindWindowA(class_name.c_str(), nullptr));
}

MessageAnswer Win32System::SendMessageWithin(Handle window, std::uint32_t message,
                                             std::uintptr_t wparam, std::intptr_t lparam,
                                             std::uint32_t timeout_milliseconds) {
  return SendWithin(window, message, wparam, lparam, timeout_milliseconds);
}

MessageAnswer Win32System::SendCopyData(Handle window, std::uintptr_t kind,
                                        const std::string& bytes,
                                        std::uint32_t timeout_milliseconds) {
  COPYDATASTRUCT record = {};
  record.dwData = static_cast<ULONG_PTR>(kind);
  record.cbData = static_cast<DWORD>(bytes.size());
  record.lpData = const_cast<char*>(bytes.data());
  // Sent, never posted: the record lives only until the answer.
  return SendWithin(window, WM_COPYDATA, 0, reinterpret_cast<std::intptr_t>(&record),
                    timeout_milliseconds);
}

void Win32System::PostWindowMessage(Handle window, std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
  PostMessageA(AsWindow(window), message, static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam));
}

}  // namespace tunaro
