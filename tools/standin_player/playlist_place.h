// Where the stand-in keeps its playlist file, and what its directory query
// reports of that folder.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_PLACE_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_PLACE_H_

#include <optional>
#include <string>

#include "version_traits.h"

namespace standin {

struct PlaylistPlace {
  // The .m3u file, a Windows path; empty when the program path is too short
  // to name one.
  std::string file;
  // The query that reports the folder (0: none) and the text it reports.
  long long directory_query = 0;
  std::string reported_folder;
};

// Resolves `traits` for a player whose program path is `program_path`: a
// folder given keeps the file there (it must exist); %APPDATA%\Winamp when
// asked for, made if missing, or a "Playlists" folder beside the program
// without APPDATA; else the file sits beside the program. In a folder of its
// own the file keeps the name it has beside the program. Nothing, with the
// reason in `error`, when the folder cannot be made.
std::optional<PlaylistPlace> FindPlaylistPlace(const VersionTraits& traits,
                                               const std::string& program_path, std::string* error);

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_PLACE_H_
