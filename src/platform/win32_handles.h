// What the two files of the Win32 half of the seam share: the seam's handles
// as the system's types, and closing a handle however its scope ends
// (ClosingHandle, in base/ as the server uses it too).
#ifndef TUNARO_PLATFORM_WIN32_HANDLES_H_
#define TUNARO_PLATFORM_WIN32_HANDLES_H_

#include <windows.h>

#include "base/win32_closing_handle.h"
#include "platform/system_interface.h"

namespace tunaro {

inline HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline HWND AsWindow(Handle handle) { return reinterpret_cast<HWND>(handle); }

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_WIN32_HANDLES_H_
