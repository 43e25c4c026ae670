// Closing a Win32 handle however its scope ends: shared by the Win32 halves of
// tunaro.exe (platform/) and tunaro-server.exe (server/), which is why it lives
// in base/ although only win32_* files include it.
#ifndef TUNARO_BASE_WIN32_CLOSING_HANDLE_H_
#define TUNARO_BASE_WIN32_CLOSING_HANDLE_H_

#include <windows.h>

namespace tunaro {

// Owns one handle. Windows says "none" with null (OpenProcess, CreateThread)
// or with INVALID_HANDLE_VALUE (CreateFile): neither is closed.
class ClosingHandle {
 public:
  ClosingHandle() = default;
  explicit ClosingHandle(HANDLE handle) : handle_(handle) {}
  ~ClosingHandle() { Close(); }
  ClosingHandle(const ClosingHandle&) = delete;
  ClosingHandle& operator=(const ClosingHandle&) = delete;

  HANDLE get() const { return handle_; }
  // For a call that fills a handle in (CreatePipe); the one held is closed first.
  HANDLE* out() {
    Close();
    return &handle_;
  }
  // Hands the handle over to whoever closes it from now on.
  HANDLE release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (*this) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace tunaro

#endif  // TUNARO_BASE_WIN32_CLOSING_HANDLE_H_
