// The window floor plus what an answer of the music folders reads, the way
// tunaro.exe reads it: the floor of the library benchmarks. Like tunaro.exe
// it has user32 loaded (the window floor's cost) whether it finds a window
// or not.
//
//   floor_files_cgi.exe list DIR      reads the folder's entries (their names
//                                     made UTF-8), then writes the header
//   floor_files_cgi.exe walk DIR      reads the entries of DIR and of every
//                                     folder under it, as a find does
//   floor_files_cgi.exe read FILE N   has the player write its playlist file
//                                     N times (as the cover's read of the
//                                     entry does), reads the file, then writes
//                                     the header and the file's bytes
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "player/player_messages.h"

namespace {

std::wstring Wide(const char* text) {
  const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), units);
  wide.resize(wide.size() - 1);
  return wide;
}

std::size_t ListFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::size_t bytes = 0;
  char name[MAX_PATH * 3];
  do {
    bytes += static_cast<std::size_t>(
        WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, name, sizeof name, nullptr, nullptr));
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return bytes;
}

// Every folder under `folder`, depth first, as the find reads them.
std::size_t WalkFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return 0;
  std::size_t entries = 0;
  std::vector<std::wstring> folders;
  do {
    const wchar_t* name = data.cFileName;
    if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
    ++entries;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(folder + L"\\" + name);
  } while (FindNextFileW(search, &data));
  FindClose(search);
  for (const std::wstring& inner : folders) entries += WalkFolder(inner);
  return entries;
}

std::string ReadFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size;
  std::string bytes;
  if (GetFileSizeEx(file, &size)) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
  }
  CloseHandle(file);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "Content-type: text/html\r\n\r\n";
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "list") {
    if (ListFolder(Wide(argv[2])) == 0) return 1;
  } else if (mode == "walk") {
    if (WalkFolder(Wide(argv[2])) == 0) return 1;
  } else if (mode == "read") {
    const HWND player = FindWindowA(tunaro::PlayerWindowClass, nullptr);
    const int writes = argc > 3 ? std::atoi(argv[3]) : 0;
    for (int i = 0; player != nullptr && i < writes; ++i) {
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(player, tunaro::QueryMessage, 0, tunaro::WritePlaylist,
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, tunaro::QueryTimeoutMilliseconds, &answer);
    }
    out += ReadFile(Wide(argv[2]));
  } else {
    FindWindowA(tunaro::PlayerWindowClass, nullptr);
  }
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
  return 0;
}
