// Looking at the process behind another program's window rather than asking
// the window: the file it runs, whether it is a 32-bit program, and texts in
// its memory. Functions
// that older Windows lack are looked up when needed, so that the program
// still starts there and only loses what they would give.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32_handles.h"
#include "platform/win32_system.h"

namespace tunaro {
namespace {

// Vista and later.
constexpr DWORD kQueryLimitedInformation = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

using QueryFullProcessImageNameAFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
using GetModuleFileNameExAFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);

HMODULE Kernel32() { return GetModuleHandleA("kernel32.dll"); }

DWORD ProcessOf(Handle window) {
  DWORD process_id = 0;
  if (GetWindowThreadProcessId(AsWindow(window), &process_id) == 0) return 0;
  return process_id;
}

// Opens the process with the first of the access rights that it is granted.
HANDLE OpenWithFirstOf(DWORD process_id, DWORD first, DWORD second) {
  if (process_id == 0) return nullptr;
  HANDLE process = OpenProcess(first, FALSE, process_id);
  if (process == nullptr && second != 0) process = OpenProcess(second, FALSE, process_id);
  return process;
}

constexpr DWORD kLongestPath = 32768;

// Vista and later: needs only the right to query a little, which Windows
// grants even for a player that runs with more rights than we do.
std::string ImagePathByName(DWORD process_id) {
  const auto query =
      Lookup<QueryFullProcessImageNameAFunction>(Kernel32(), "QueryFullProcessImageNameA");
  if (query == nullptr) return {};
  const ClosingHandle process(OpenWithFirstOf(process_id, kQueryLimitedInformation, 0));
  if (process.get() == nullptr) return {};
  std::string path(kLongestPath, '\0');
  DWORD size = kLongestPath;
  if (!query(process.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path;
}

// Windows 2000 and XP: psapi.dll, from the system folder only.
std::string ImagePathByModule(DWORD process_id) {
  char system_folder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(system_folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const HMODULE psapi = LoadLibraryA((std::string(system_folder) + "\\psapi.dll").c_str());
  if (psapi == nullptr) return {};
  std::string path;
  const auto module_file_name = Lookup<GetModuleFileNameExAFunction>(psapi, "GetModuleFileNameExA");
  const ClosingHandle process(
      OpenWithFirstOf(process_id, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, 0));
  if (module_file_name != nullptr && process.get() != nullptr) {
    path.assign(kLongestPath, '\0');
    const DWORD size = module_file_name(process.get(), nullptr, path.data(), kLongestPath);
    path.resize(size < kLongestPath ? size : 0);
  }
  FreeLibrary(psapi);
  return path;
}

}  // namespace

std::string Win32System::WindowProcessImagePath(Handle window) {
  const DWORD process_id = ProcessOf(window);
  if (process_id == 0) return {};
  std::string path = ImagePathByName(process_id);
  if (path.empty()) path = ImagePathByModule(process_id);
  return path;
}

int Win32System::WindowProcessPointerBits(Handle window) {
  const auto is_wow64 = Lookup<IsWow64ProcessFunction>(Kernel32(), "IsWow64Process");
  BOOL self_under_wow64 = FALSE;
  if (sizeof(void*) == 4) {
    // A 32-bit Windows has no 64-bit programs. On a 64-bit one this program
    // runs under WOW64, and a process that does not is a 64-bit one: its
    // answers reach us cut to 32 bits, and its memory is out of our reach.
    if (is_wow64 == nullptr || !is_wow64(GetCurrentProcess(), &self_under_wow64) ||
        !self_under_wow64) {
      return 32;
    }
  }
  const ClosingHandle process(
      OpenWithFirstOf(ProcessOf(window), kQueryLimitedInformation, PROCESS_QUERY_INFORMATION));
  if (process.get() == nullptr) return 0;
  if (is_wow64 == nullptr) return 64;  // every 64-bit Windows has it
  BOOL under_wow64 = FALSE;
  if (!is_wow64(process.get(), &under_wow64)) return 0;
  if (self_under_wow64 && !under_wow64) return 0;  // a 64-bit process seen from 32 bits
  return under_wow64 ? 32 : 64;
}

std::optional<std::string> Win32System::ReadProcessText(Handle window, std::uint64_t address,
                                                        std::size_t max_length) {
  const ClosingHandle process(OpenWithFirstOf(ProcessOf(window), PROCESS_VM_READ, 0));
  if (process.get() == nullptr) return std::nullopt;
  // In pieces that never run past the end of a page: a text that ends just
  // before a page the process lacks is still read whole.
  constexpr std::uint64_t kPageSize = 4096;
  constexpr std::uint64_t kHighest = static_cast<std::uintptr_t>(-1);
  std::string text;
  char piece[kPageSize];
  while (text.size() < max_length) {
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(kPageSize - address % kPageSize, max_length - text.size()));
    if (address > kHighest || kHighest - address < size - 1) return std::nullopt;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process.get(),
                           reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), piece,
                           size, &read) ||
        read != size) {
      return std::nullopt;
    }
    const char* nul = static_cast<const char*>(std::memchr(piece, '\0', size));
    if (nul != nullptr) return text.append(piece, static_cast<std::size_t>(nul - piece));
    text.append(piece, size);
    address += size;
  }
  return std::nullopt;
}

}  // namespace tunaro
