// The rule that names the player's playlist file after its program file. The
// player model of the tests keeps a rule of its own
// (testing/player_model/playlist_place.h), so each checks the other.
#ifndef TUNARO_PLAYER_PLAYLIST_PATH_H_
#define TUNARO_PLAYER_PLAYLIST_PATH_H_

#include <string>

#include "base/characters.h"

namespace tunaro {

// The program path with its last three characters (by `characters`, the
// system's ANSI code page) replaced by "m3u", so "...\winamp.exe" gives
// "...\winamp.m3u"; empty text when the path is too short to have three to
// replace.
inline std::string PlaylistPathFor(const std::string& player_path,
                                   const CharacterRule& characters) {
  const std::string_view last = characters.LastCharacters(player_path, 3);
  if (last.size() == player_path.size() && characters.Count(last) < 3) return {};
  return player_path.substr(0, player_path.size() - last.size()) + "m3u";
}

// The file name of that path, without its folder: where a player keeps its
// playlist file in a folder of its own, the file keeps this name.
inline std::string PlaylistFileNameFor(const std::string& player_path,
                                       const CharacterRule& characters) {
  const std::string path = PlaylistPathFor(player_path, characters);
  const std::size_t slash = characters.FindLastOf(path, "\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_PATH_H_
