#include "testing/player_model/playlist_place.h"

#include <vector>

#include "player/player_messages.h"

namespace player_model {
namespace {

constexpr char kAppDataFolderName[] = "Winamp";
constexpr char kFallbackFolderName[] = "Playlists";

// Where each character of `text` begins: a lead byte and the byte after it
// are one character; a lead byte at the very end is one of its own.
std::vector<std::size_t> CharacterStarts(const std::string& text, const LeadBytes& lead_bytes) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size();) {
    starts.push_back(at);
    const bool lead = lead_bytes[static_cast<unsigned char>(text[at])];
    at += lead && at + 1 < text.size() ? 2 : 1;
  }
  return starts;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The position of the last separator that is a character of its own.
std::size_t LastSeparator(const std::string& path, const LeadBytes& lead_bytes) {
  std::size_t found = std::string::npos;
  for (const std::size_t at : CharacterStarts(path, lead_bytes)) {
    if (IsSeparator(path[at])) found = at;
  }
  return found;
}

std::string FolderOf(const std::string& path, const LeadBytes& lead_bytes) {
  const std::size_t slash = LastSeparator(path, lead_bytes);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path, const LeadBytes& lead_bytes) {
  const std::size_t slash = LastSeparator(path, lead_bytes);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name, const LeadBytes& lead_bytes) {
  const std::vector<std::size_t> starts = CharacterStarts(folder, lead_bytes);
  const bool ends_in_separator =
      !starts.empty() && starts.back() == folder.size() - 1 && IsSeparator(folder.back());
  return ends_in_separator ? folder + name : folder + "\\" + name;
}

// The program path with "m3u" for its last three characters; empty when it
// has fewer.
std::string BesideTheProgram(const std::string& program_path, const LeadBytes& lead_bytes) {
  const std::vector<std::size_t> starts = CharacterStarts(program_path, lead_bytes);
  if (starts.size() < 3) return std::string();
  return program_path.substr(0, starts[starts.size() - 3]) + "m3u";
}

}  // namespace

PlaylistPlace PlaylistPlaceFor(const std::string& program_path, const VersionTraits& traits,
                               const std::string& app_data, const LeadBytes& lead_bytes) {
  const std::string beside = BesideTheProgram(program_path, lead_bytes);
  PlaylistPlace place;
  place.folder = traits.playlist_dir;
  if (place.folder.empty() && traits.playlist_dir_in_app_data) {
    place.folder = app_data.empty()
                       ? Join(FolderOf(program_path, lead_bytes), kFallbackFolderName, lead_bytes)
                       : Join(app_data, kAppDataFolderName, lead_bytes);
    place.made_by_player = true;
  }
  place.directory_query = traits.directory_query.value_or(
      place.folder.empty() ? 0 : static_cast<long long>(tunaro::QueryPlaylistDirectory));
  if (place.folder.empty()) {
    place.file = beside;
    place.folder = FolderOf(program_path, lead_bytes);
  } else {
    const std::string name = FileNameOf(beside, lead_bytes);
    place.file = name.empty() ? std::string() : Join(place.folder, name, lead_bytes);
  }
  return place;
}

}  // namespace player_model
