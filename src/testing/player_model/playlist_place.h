// Where the player keeps its playlist file, by the player's own rule, written
// apart from the remote control's so that each checks the other: an old
// player keeps it beside its program, named like the program with "m3u" for
// its last three characters ("winamp.exe" writes "winamp.m3u"); a player with
// a folder of its own keeps the file of that name there.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_PLACE_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_PLACE_H_

#include <array>
#include <string>

#include "testing/player_model/version_traits.h"

namespace player_model {

// Which bytes of the ANSI code page begin a two-byte character (code pages
// 932, 936, 949 and 950, whose second byte may be a backslash).
using LeadBytes = std::array<bool, 256>;

struct PlaylistPlace {
  // The .m3u file, a Windows path; empty when the program path is too short
  // to name one.
  std::string file;
  // The folder it is in, as the directory query reports it, and whether the
  // player makes that folder when it is missing.
  std::string folder;
  bool made_by_player = false;
  // The query that reports the folder; 0: none.
  long long directory_query = 0;
};

// The place for a player whose program path is `program_path`: the folder
// the traits give; %APPDATA%\Winamp when they ask for it (`app_data`, empty
// when the variable is not set: then a "Playlists" folder beside the
// program); else beside the program.
PlaylistPlace PlaylistPlaceFor(const std::string& program_path, const VersionTraits& traits,
                               const std::string& app_data, const LeadBytes& lead_bytes);

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_PLACE_H_
