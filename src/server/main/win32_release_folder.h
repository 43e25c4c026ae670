// The folder the server serves: the unpacked release folder it lies in, made
// the current directory, as CivetWeb's document root and the program runner
// take their paths from there.
#ifndef TUNARO_SERVER_MAIN_WIN32_RELEASE_FOLDER_H_
#define TUNARO_SERVER_MAIN_WIN32_RELEASE_FOLDER_H_

#include <string>
#include <vector>

namespace tunaro::server {

// Enters `folder` and checks it: wwwroot\ and cgi-bin\ beside the exe, and a
// path the ANSI code page can spell. Raises RunError (exit_code::kFailed)
// saying what to do otherwise.
void EnterReleaseFolder(const std::string& folder);

// The folders of cgi-bin\ whose tunaro.exe is served, by their names on disk.
std::vector<std::string> ProgramFolders();

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_MAIN_WIN32_RELEASE_FOLDER_H_
