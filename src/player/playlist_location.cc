#include "player/playlist_location.h"

#include "platform/ansi_characters.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_path.h"

namespace tunaro {
namespace {

// The folder whose name stands at the address the player answered, when it
// can be read and is not empty.
std::optional<std::string> AskFolder(SystemInterface& system, Handle window, std::int64_t answer) {
  const int bits = system.WindowProcessPointerBits(window);
  if (bits == 0) return std::nullopt;
  std::optional<std::string> folder =
      system.ReadProcessText(window, AddressFromAnswer(answer, bits), kMaxPlayerTextLength);
  if (folder && folder->empty()) return std::nullopt;
  return folder;
}

// A program path worth using: it names an ordinary file and is long enough to
// name the playlist file after it.
bool IsUsableProgramPath(SystemInterface& system, const std::string& path) {
  return !PlaylistPathFor(path, AnsiCharacters(system)).empty() && system.IsOrdinaryFile(path);
}

}  // namespace

std::optional<PlayerFiles> FindPlayerFiles(SystemInterface& system, Handle window) {
  PlayerFiles files;
  files.program = FindPlayerModulePath(system, window);
  if (!IsUsableProgramPath(system, files.program)) {
    files.program = system.WindowProcessImagePath(window);
  }
  if (!IsUsableProgramPath(system, files.program)) return std::nullopt;
  files.playlist = LocatePlaylistFile(system, window, files.program);
  return files;
}

std::uint64_t AddressFromAnswer(std::int64_t answer, int pointer_bits) {
  const auto bits = static_cast<std::uint64_t>(answer);
  return pointer_bits == 32 ? bits & 0xFFFFFFFFu : bits;
}

std::string LocatePlaylistFile(SystemInterface& system, Handle window,
                               const std::string& player_path) {
  const CharacterRule characters = AnsiCharacters(system);
  for (const std::int32_t code : {QueryPlaylistDirectory, QuerySettingsDirectory}) {
    const std::int64_t answer = SendPlayerAddressQuery(system, window, code);
    if (answer == 0 || answer == 1) continue;  // a player that does not know the query
    const std::optional<std::string> folder = AskFolder(system, window, answer);
    if (!folder) break;
    return *folder + (characters.EndsWithSeparator(*folder) ? "" : "\\") +
           PlaylistFileNameFor(player_path, characters);
  }
  return PlaylistPathFor(player_path, characters);
}

}  // namespace tunaro
