#include "player/live_status.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "base/content_hash.h"
#include "platform/ansi_characters.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/player_status.h"
#include "player/playlist_file_lock.h"
#include "player/playlist_location.h"
#include "player/playlist_walk.h"
#include "player/status_texts.h"

namespace tunaro {

std::int32_t VolumePercent(std::int32_t player_volume) {
  const std::int32_t volume = std::clamp(player_volume, 0, 255);
  return (volume * 200 + 255) / 510;
}

std::int32_t PlayerVolume(std::int32_t percent) {
  return (std::clamp(percent, 0, 100) * 255 + 50) / 100;
}

LiveStatus ReadLiveStatus(SystemInterface& system, Handle window) {
  const auto ask = [&](std::int32_t code, std::int32_t argument = 0) {
    return SendPlayerQuery(system, window, code, argument);
  };
  LiveStatus status;
  status.state = StateNameFor(Low16(ask(QueryPlayState)));
  status.position_seconds = std::max(ask(QueryPosition, 0), 0) / 1000;
  status.length_seconds = std::max(ask(QueryLength, 1), -1);
  status.volume_percent = VolumePercent(ask(SetVolume, AskVolume));
  status.shuffle = ask(QueryShuffle) != 0;
  status.repeat = ask(QueryRepeat) != 0;
  status.kbps = ask(QueryStreamInfo, 1);
  status.khz = ask(QueryStreamInfo, 0);
  const std::optional<PlayerFiles> files = FindPlayerFiles(system, window);

  std::string content;
  std::int32_t index = -1;
  std::optional<PlaylistEntry> entry;
  std::optional<std::string> copy;
  bool from_copy = false;
  {
    PlaylistFileLock lock(system);
    index = ask(WritePlaylist);
    status.entries = std::max(ask(QueryEntryCount), 0);
    if (files && system.IsOrdinaryFile(files->playlist)) {
      content = system.ReadWholeFile(files->playlist);
      if (index >= 0 && index < status.entries) entry = FindPlaylistEntry(content, index);
      // The player writes a character its code page lacks as "?" (never the
      // second byte of a double-byte one); only then does its UTF-8 copy,
      // which has the title in full, tell more. A status read of a long list
      // reads the copy only then, and walks it only for such a current title.
      if (content.find('?') != std::string::npos) {
        copy = ReadUsableUtf8Copy(system, files->playlist, content);
      }
      if (copy && entry &&
          WholeTitleOf(*entry, AnsiCharacters(system)).find('?') != std::string_view::npos) {
        if (std::optional<PlaylistEntry> in_copy = FindPlaylistEntry(*copy, index)) {
          entry = std::move(in_copy);
          from_copy = true;
        }
      }
    }
  }
  // A title renamed within what the code page lacks ("??????" either way)
  // changes only the copy, and the page must still learn of it.
  status.list_hash = ContentHash(copy ? content + *copy : content);
  if (index >= 0 && index < status.entries) status.current = index + 1;
  if (entry && from_copy) {
    status.title = std::string(WholeTitleOf(*entry, CharacterRule::Utf8()));
  } else if (entry) {
    status.title = system.AnsiToUtf8(std::string(WholeTitleOf(*entry, AnsiCharacters(system))));
  }
  return status;
}

}  // namespace tunaro
