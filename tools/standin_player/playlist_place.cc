#include "playlist_place.h"

#include <windows.h>

#include <array>
#include <vector>

#include "player/player_messages.h"
#include "player/playlist_path.h"

namespace standin {
namespace {

constexpr char kAppDataFolderName[] = "Winamp";
constexpr char kFallbackFolderName[] = "Playlists";

// The system's ANSI code page: a folder's name may hold a two-byte character
// whose second byte is a backslash.
tunaro::CharacterRule AnsiCharacters() {
  std::array<bool, 256> lead_bytes{};
  for (unsigned b = 0; b < 256; ++b) lead_bytes[b] = IsDBCSLeadByte(static_cast<BYTE>(b)) != 0;
  return tunaro::CharacterRule::ForCodePage(GetACP(), lead_bytes);
}

bool EndsWithSeparator(const std::string& path) { return AnsiCharacters().EndsWithSeparator(path); }

std::string Join(const std::string& folder, const std::string& name) {
  return EndsWithSeparator(folder) ? folder + name : folder + "\\" + name;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = AnsiCharacters().FindLastOf(path, "\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::optional<std::string> EnvironmentVariable(const char* name) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size =
        GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size == 0) return std::nullopt;
    if (size < buffer.size()) return std::string(buffer.data(), size);
    buffer.resize(size);
  }
}

bool MakeFolder(const std::string& folder, std::string* error) {
  if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  *error = "cannot make the folder " + folder + " (error " + std::to_string(GetLastError()) + ")";
  return false;
}

// The folder a per-user install keeps its playlists in.
std::optional<std::string> AppDataFolder(const std::string& program_path, std::string* error) {
  const std::optional<std::string> app_data = EnvironmentVariable("APPDATA");
  const std::string folder = app_data ? Join(*app_data, kAppDataFolderName)
                                      : Join(FolderOf(program_path), kFallbackFolderName);
  if (!MakeFolder(folder, error)) return std::nullopt;
  return folder;
}

}  // namespace

std::optional<PlaylistPlace> FindPlaylistPlace(const VersionTraits& traits,
                                               const std::string& program_path,
                                               std::string* error) {
  std::string folder = traits.playlist_dir;
  if (folder.empty() && traits.playlist_dir_in_app_data) {
    const std::optional<std::string> app_data = AppDataFolder(program_path, error);
    if (!app_data) return std::nullopt;
    folder = *app_data;
  }
  PlaylistPlace place;
  place.directory_query = traits.directory_query.value_or(
      folder.empty() ? 0 : static_cast<long long>(tunaro::QueryPlaylistDirectory));
  if (folder.empty()) {
    place.file = tunaro::PlaylistPathFor(program_path, AnsiCharacters());
    place.reported_folder = FolderOf(program_path);
  } else {
    const std::string name = tunaro::PlaylistFileNameFor(program_path, AnsiCharacters());
    place.file = name.empty() ? std::string() : Join(folder, name);
    place.reported_folder = folder;
  }
  return place;
}

}  // namespace standin
