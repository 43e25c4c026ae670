// What the files of the Win32 half of the seam share: the seam's handles
// as the system's types, looking up what older Windows lack, and closing a
// handle however its scope ends (ClosingHandle, in base/ as the server uses it
// too).
#ifndef TUNARO_PLATFORM_WIN32_HANDLES_H_
#define TUNARO_PLATFORM_WIN32_HANDLES_H_

#include <windows.h>

#include "base/win32_closing_handle.h"
#include "platform/system_interface.h"

namespace tunaro {

inline HANDLE AsHandle(Handle handle) { return reinterpret_cast<HANDLE>(handle); }
inline HWND AsWindow(Handle handle) { return reinterpret_cast<HWND>(handle); }

// A function that older Windows may lack, looked up when needed so that the
// program still starts there; nullptr when the module or the function is
// missing.
template <typename Function>
Function Lookup(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through a plain function pointer type, which any function type may be
  // cast to and from.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tunaro

#endif  // TUNARO_PLATFORM_WIN32_HANDLES_H_
