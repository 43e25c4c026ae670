// Where the player keeps its playlist file. Players before 2.90 write it
// beside their program; 2.90 to 5.1 in their settings folder; 5.11 and later
// in their playlist folder. The two later ones name the folder when asked,
// with the address of its name in their own memory.
#ifndef TUNARO_PLAYER_PLAYLIST_LOCATION_H_
#define TUNARO_PLAYER_PLAYLIST_LOCATION_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

// The longest folder name read from the player's memory.
constexpr std::size_t kMaxPlayerTextLength = 32767;

struct PlayerFiles {
  std::string program;   // the player's program file
  std::string playlist;  // where it writes its playlist file
};

// Learns where the player's program is (from the player, or from its
// process when the player does not say) and where it keeps its playlist
// file; nothing when neither names an ordinary program file.
std::optional<PlayerFiles> FindPlayerFiles(SystemInterface& system, Handle window);

// The path of the playlist file for a player whose program is `player_path`:
// the folder that QueryPlaylistDirectory names, else the one that
// QuerySettingsDirectory names (a player that knows neither answers 0 or 1),
// followed by the file's usual name; beside the program when neither names a
// folder or it cannot be read.
std::string LocatePlaylistFile(SystemInterface& system, Handle window,
                               const std::string& player_path);

// The address an answer stands for in a player with pointers of
// `pointer_bits`: a 32-bit player's answer reaches a 64-bit program widened,
// maybe with its sign, so only its low 32 bits count.
std::uint64_t AddressFromAnswer(std::int64_t answer, int pointer_bits);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_LOCATION_H_
