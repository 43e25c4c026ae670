// The music folders' half of the Win32 seam: UTF-8 paths in and out, the W
// functions underneath, so that every name the file system holds is reached
// whatever the ANSI code page. Functions that older Windows lack (and the
// shell's, which costs a run that does not need it its start-up) are looked
// up when needed.
#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/win32_handles.h"
#include "platform/win32_system.h"

namespace tunaro {
namespace {

using GetFinalPathNameByHandleWFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using GetTickCount64Function = ULONGLONG(WINAPI*)();
using SHGetKnownFolderPathFunction = HRESULT(WINAPI*)(const GUID*, DWORD, HANDLE, PWSTR*);
using SHGetFolderPathWFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
using CoTaskMemFreeFunction = void(WINAPI*)(LPVOID);

// FOLDERID_Music, written out: the shell's GUID library is not linked.
constexpr GUID kMusicFolderId = {
    0x4BD8D571, 0x6D19, 0x48D3, {0xBE, 0x97, 0x42, 0x22, 0x20, 0x08, 0x0E, 0x43}};
constexpr int kMyMusicCsidl = 0x000D;  // CSIDL_MYMUSIC, for Windows XP

HMODULE Kernel32() { return GetModuleHandleA("kernel32.dll"); }

// Nothing for a text that is not UTF-8: no path of the library holds one.
std::optional<std::wstring> WideFromUtf8(const std::string& text) {
  if (text.empty()) return std::wstring();
  if (text.size() > 0x7FFFFFFF) return std::nullopt;
  const int size = static_cast<int>(text.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), units);
  return wide;
}

std::string Utf8FromWide(const wchar_t* text, std::size_t units) {
  if (units == 0) return {};
  const int size = static_cast<int>(units);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

// A path as the W functions take it: backslashes, and "\\?\" in front of a
// long one, which lifts the limit of MAX_PATH characters (and the clean-up of
// the path that the library's paths, already clean, do not need). `extra`:
// the units the caller adds at its end.
std::optional<std::wstring> SystemPath(const std::string& path, std::size_t extra = 0) {
  std::optional<std::wstring> wide = WideFromUtf8(path);
  if (!wide || wide->empty()) return std::nullopt;
  std::replace(wide->begin(), wide->end(), L'/', L'\\');
  if (wide->size() + extra >= MAX_PATH - 12 && wide->rfind(L"\\\\?\\", 0) != 0) {
    if (wide->rfind(L"\\\\", 0) == 0) {
      wide->replace(0, 2, L"\\\\?\\UNC\\");
    } else if (wide->size() >= 3 && (*wide)[1] == L':' && (*wide)[2] == L'\\') {
      wide->insert(0, L"\\\\?\\");
    }
  }
  return wide;
}

FileAccess AccessOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DIRECTORY:
      return FileAccess::kNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return FileAccess::kDenied;
    default:
      return FileAccess::kFailed;
  }
}

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// A reparse point that stands for another name (a symbolic link or a
// junction); the other kinds (a file kept in the cloud, one deduplicated)
// are the entry itself.
bool IsNameLink(const WIN32_FIND_DATAW& data) {
  constexpr DWORD kNameSurrogate = 0x20000000;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
         (data.dwReserved0 & kNameSurrogate) != 0;
}

// Windows XP cannot name where a junction leads: the full, long form of the
// path is the best it has.
std::wstring FullLongPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  DWORD size =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (size == 0 || size >= full.size()) return path;
  full.resize(size);
  std::wstring long_form(32768, L'\0');
  size = GetLongPathNameW(full.c_str(), long_form.data(), static_cast<DWORD>(long_form.size()));
  if (size == 0 || size >= long_form.size()) return full;
  long_form.resize(size);
  return long_form;
}

}  // namespace

FileAccess Win32System::ListFolder(const std::string& path,
                                   const std::function<bool(const FolderEntry&)>& visit) {
  std::optional<std::wstring> pattern = SystemPath(path, 2);
  if (!pattern) return FileAccess::kNotFound;
  if (pattern->back() != L'\\') *pattern += L'\\';
  *pattern += L'*';
  WIN32_FIND_DATAW data;
  // The basic information and the large fetch are Windows 7's: without them,
  // as before.
  HANDLE search = FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
    search = FindFirstFileExW(pattern->c_str(), FindExInfoStandard, &data, FindExSearchNameMatch,
                              nullptr, 0);
  }
  if (search == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A drive's root holds no "." or "..": with nothing in it, nothing matches.
    return error == ERROR_FILE_NOT_FOUND ? FileAccess::kDone : AccessOf(error);
  }
  FolderEntry entry;
  do {
    const wchar_t* name = data.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
    entry.name = Utf8FromWide(name, wcslen(name));
    entry.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.link = IsNameLink(data);
    entry.hidden = (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    entry.size = entry.folder ? 0 : Join(data.nFileSizeHigh, data.nFileSizeLow);
    if (!visit(entry)) break;
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return FileAccess::kDone;
}

FinalPathFacts Win32System::FinalPath(const std::string& path) {
  FinalPathFacts facts;
  const std::optional<std::wstring> wide = SystemPath(path);
  if (!wide) {
    facts.access = FileAccess::kNotFound;
    return facts;
  }
  // No access asked for: the attributes and the name come all the same, and
  // nothing is read, even where reading would be refused.
  const HANDLE opened =
      CreateFileW(wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    facts.access = AccessOf(GetLastError());
    return facts;
  }
  const ClosingHandle file(opened);
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file.get(), &information)) {
    facts.access = AccessOf(GetLastError());
    return facts;
  }
  facts.folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.size = facts.folder ? 0 : Join(information.nFileSizeHigh, information.nFileSizeLow);

  const auto final_path =
      Lookup<GetFinalPathNameByHandleWFunction>(Kernel32(), "GetFinalPathNameByHandleW");
  if (final_path == nullptr) {
    const std::wstring full = FullLongPath(*wide);
    facts.path = Utf8FromWide(full.data(), full.size());
  } else {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
      // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS: "\\?\C:\...".
      const DWORD size = final_path(file.get(), name.data(), static_cast<DWORD>(name.size()), 0);
      if (size == 0) {
        facts.access = AccessOf(GetLastError());
        return facts;
      }
      if (size < name.size()) {
        facts.path = Utf8FromWide(name.data(), size);
        break;
      }
      name.resize(size);  // the size needed, its terminator included
    }
  }
  facts.access = facts.path.empty() ? FileAccess::kFailed : FileAccess::kDone;
  return facts;
}

std::optional<std::string> Win32System::ReadFilePart(const std::string& path, std::uint64_t offset,
                                                     std::size_t size) {
  const std::optional<std::wstring> wide = SystemPath(path);
  if (!wide) return std::nullopt;
  const HANDLE opened = CreateFileW(wide->c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
  const ClosingHandle file(opened);
  LARGE_INTEGER where;
  where.QuadPart = static_cast<LONGLONG>(std::min<std::uint64_t>(offset, 0x7FFFFFFFFFFFFFFF));
  if (!SetFilePointerEx(file.get(), where, nullptr, FILE_BEGIN)) return std::nullopt;
  std::string bytes(size, '\0');
  std::size_t have = 0;
  while (have < size) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - have, 1u << 24));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + have, want, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    have += got;
  }
  bytes.resize(have);
  return bytes;
}

std::string Win32System::MusicFolder() {
  const HMODULE shell = LoadLibraryW(L"shell32.dll");
  const auto known_folder = Lookup<SHGetKnownFolderPathFunction>(shell, "SHGetKnownFolderPath");
  const auto free_memory =
      Lookup<CoTaskMemFreeFunction>(LoadLibraryW(L"ole32.dll"), "CoTaskMemFree");
  if (known_folder != nullptr && free_memory != nullptr) {
    PWSTR path = nullptr;
    const HRESULT result = known_folder(&kMusicFolderId, 0, nullptr, &path);
    std::string folder;
    if (SUCCEEDED(result) && path != nullptr) folder = Utf8FromWide(path, wcslen(path));
    free_memory(path);
    return folder;
  }
  const auto folder_path = Lookup<SHGetFolderPathWFunction>(shell, "SHGetFolderPathW");
  if (folder_path == nullptr) return {};
  wchar_t path[MAX_PATH] = {};
  if (FAILED(folder_path(nullptr, kMyMusicCsidl, nullptr, 0, path))) return {};
  return Utf8FromWide(path, wcslen(path));
}

std::uint64_t Win32System::MonotonicMilliseconds() {
  const auto tick_count = Lookup<GetTickCount64Function>(Kernel32(), "GetTickCount64");
  if (tick_count != nullptr) return tick_count();
  // Windows XP: GetTickCount starts over every 49.7 days.
  const DWORD now = GetTickCount();
  if (now < last_tick_) ++tick_wraps_;
  last_tick_ = now;
  return (tick_wraps_ << 32) | now;
}

}  // namespace tunaro
