// The rule that names the player's playlist file after its program file. The
// program, the stand-in player and the test harness all include this one.
#ifndef TUNARO_PLAYER_PLAYLIST_PATH_H_
#define TUNARO_PLAYER_PLAYLIST_PATH_H_

#include <string>

namespace tunaro {

// The program path with its last three characters replaced by "m3u", so
// "...\winamp.exe" gives "...\winamp.m3u"; empty text when the path is too
// short to have three to replace.
inline std::string PlaylistPathFor(const std::string& player_path) {
  if (player_path.size() < 3) return {};
  return player_path.substr(0, player_path.size() - 3) + "m3u";
}

// The file name of that path, without its folder: where a player keeps its
// playlist file in a folder of its own, the file keeps this name.
inline std::string PlaylistFileNameFor(const std::string& player_path) {
  const std::string path = PlaylistPathFor(player_path);
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_PATH_H_
