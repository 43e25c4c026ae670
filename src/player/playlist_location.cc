#include "player/playlist_location.h"

#include <algorithm>
#include <cstring>

#include "platform/ansi_characters.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_path.h"

namespace tunaro {
namespace {

constexpr std::uint64_t kPageSize = 4096;

// The folder whose name stands at the address the player answered, when it
// can be read and is not empty.
std::optional<std::string> AskFolder(SystemInterface& system, Handle window, std::int64_t answer) {
  const int bits = system.PlayerPointerBits(window);
  if (bits == 0) return std::nullopt;
  std::optional<std::string> folder =
      ReadPlayerText(system, window, AddressFromAnswer(answer, bits));
  if (folder && folder->empty()) return std::nullopt;
  return folder;
}

}  // namespace

std::uint64_t AddressFromAnswer(std::int64_t answer, int pointer_bits) {
  const auto bits = static_cast<std::uint64_t>(answer);
  return pointer_bits == 32 ? bits & 0xFFFFFFFFu : bits;
}

std::optional<std::string> ReadPlayerText(SystemInterface& system, Handle window,
                                          std::uint64_t address) {
  std::string text;
  char piece[kPageSize];
  while (text.size() < kMaxPlayerTextLength) {
    const std::uint64_t to_page_end = kPageSize - address % kPageSize;
    const std::size_t size = static_cast<std::size_t>(
        std::min<std::uint64_t>(to_page_end, kMaxPlayerTextLength - text.size()));
    if (address + size < address) return std::nullopt;  // past the end of the address space
    if (!system.ReadPlayerMemory(window, address, piece, size)) return std::nullopt;
    const char* nul = static_cast<const char*>(std::memchr(piece, '\0', size));
    if (nul != nullptr) return text.append(piece, static_cast<std::size_t>(nul - piece));
    text.append(piece, size);
    address += size;
  }
  return std::nullopt;
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
