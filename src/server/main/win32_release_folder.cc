#include "server/main/win32_release_folder.h"

#include <windows.h>

#include "base/run_error.h"
#include "server/http/request_rules.h"
#include "server/main/server_options.h"
#include "server/system/server_exit.h"
#include "server/system/win32_wide_text.h"

namespace tunaro::server {
namespace {

// tunaro.exe reads its own path, and the script path it is given, in the ANSI
// code page: the folder's path must be spellable in it.
bool FitsCodePage(const std::wstring& folder) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr,
                      &lossy);
  return !lossy;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

void EnterReleaseFolder(const std::string& folder) {
  const std::wstring wide = WideFromUtf8(folder);
  if (!SetCurrentDirectoryW(wide.c_str())) {
    throw RunError(exit_code::kFailed, "cannot enter the folder " + folder);
  }
  if (!Exists(L"wwwroot") || !Exists(L"cgi-bin")) {
    throw RunError(exit_code::kFailed,
                   std::string(kProgramName) +
                       " serves the folder it lies in, which needs wwwroot\\ and cgi-bin\\ beside "
                       "it: keep it in the unpacked release folder.");
  }
  if (!FitsCodePage(wide)) {
    throw RunError(exit_code::kFailed,
                   "The folder " + folder +
                       " has letters this Windows' code page cannot spell, so tunaro.exe cannot "
                       "be started from it. Move the folder, e.g. to C:\\Tunaro.");
  }
}

std::vector<std::string> ProgramFolders() {
  std::vector<std::string> folders;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(L"cgi-bin\\*", &found);
  if (search == INVALID_HANDLE_VALUE) return folders;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    const std::wstring exe = L"cgi-bin\\" + std::wstring(found.cFileName) + L"\\tunaro.exe";
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsProgramFolderName(name) &&
        Exists(exe.c_str())) {
      folders.push_back(name);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return folders;
}

}  // namespace tunaro::server
