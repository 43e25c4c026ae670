// What the two files of the Win32 half of the seam share: the seam's handles
// as the system's types, and closing a handle however its scope ends.
#ifndef TUNARO_PLATFORM_WIN32_HANDLES_H_
#define TUNARO_PLATFORM_WIN32_HANDLES_H_

#include <windows.h>

#include "platform/system_interface.h"

namespace tunaro {

inline HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline HWND AsWindow(Handle handle) { return reinterpret_cast<HWND>(handle); }

// Closes a handle when its scope ends, however it ends; one that was never
// opened (null) is left alone.
class ClosingHandle {
 public:
  explicit ClosingHandle(HANDLE handle) : handle_(handle) {}
  ~ClosingHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  ClosingHandle(const ClosingHandle&) = delete;
  ClosingHandle& operator=(const ClosingHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_WIN32_HANDLES_H_
