#include "player/player_status.h"

#include <algorithm>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_walk.h"

namespace tunaro {
namespace {

std::int32_t Ask(SystemInterface& system, const PlayerStatus& status, std::int32_t code,
                 std::int32_t argument = 0) {
  return SendPlayerQuery(system, status.PlayerWindow, code, argument);
}

// Learns the player's program path once per run; without one that names a
// file there is no playlist to read and the run ends with what it wrote.
void EnsurePlayerPath(SystemInterface& system, PlayerStatus& status) {
  if (status.PlayerPath.empty()) {
    status.PlayerPath = FindPlayerModulePath(system, status.PlayerWindow);
  }
  if (status.PlayerPath.empty() || PlaylistPathFor(status.PlayerPath).empty() ||
      !system.IsOrdinaryFile(status.PlayerPath)) {
    throw RunEndedEarly{};
  }
}

// The player rewrites one playlist file for every run that asks; runs that
// the web server starts at the same time take turns from their first
// WritePlaylist to their last read, so none reads a file half rewritten.
class PlaylistFileLock {
 public:
  explicit PlaylistFileLock(SystemInterface& system) : system_(system) {
    system_.LockPlaylistFile(kPlaylistLockTimeoutMilliseconds);  // past the wait, go on
  }
  ~PlaylistFileLock() { system_.UnlockPlaylistFile(); }
  PlaylistFileLock(const PlaylistFileLock&) = delete;
  PlaylistFileLock& operator=(const PlaylistFileLock&) = delete;

 private:
  SystemInterface& system_;
};

void ReadCurrentTitleWhileLocked(SystemInterface& system, std::int16_t ssi_width,
                                 PlayerStatus& status) {
  EnsurePlayerPath(system, status);
  Ask(system, status, WritePlaylist);
  const std::int32_t current = Ask(system, status, WritePlaylist);
  const std::string line =
      ReadPlaylistEntryLine(system, PlaylistPathFor(status.PlayerPath), current, ssi_width);
  status.CurrentTitle = std::string(TextAfterFirstComma(line));
  if (ssi_width != 0) status.CurrentTitle = LastCharacters(status.CurrentTitle, ssi_width);
}

}  // namespace

void RefreshPlayerStatus(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status) {
  status.StateText = StateTextFor(Low16(Ask(system, status, QueryPlayState)));
  status.LengthText = LengthTextFor(Ask(system, status, QueryLength, 1));
  status.SampleRateText = DecimalText(Ask(system, status, QueryStreamInfo, 0)) + ",000";
  status.BitRateText = DecimalText(Ask(system, status, QueryStreamInfo, 1));
  PlaylistFileLock lock(system);
  Ask(system, status, WritePlaylist);
  // The whole answer counts: a playlist may hold more than 32767 entries.
  status.EntryCount = std::clamp(Ask(system, status, QueryEntryCount), 0, kMaxEntryCount);
  status.Titles.assign(static_cast<std::size_t>(status.EntryCount) + 1, std::string());

  EnsurePlayerPath(system, status);
  const std::string playlist = PlaylistPathFor(status.PlayerPath);
  if (system.IsOrdinaryFile(playlist)) {
    WalkPlaylistTitles(system.ReadWholeFile(playlist), ssi_width, status.Titles);
  }
  ReadCurrentTitleWhileLocked(system, ssi_width, status);
}

void ReadCurrentTitle(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status) {
  PlaylistFileLock lock(system);
  ReadCurrentTitleWhileLocked(system, ssi_width, status);
}

std::string ReadPlaylistEntryLine(SystemInterface& system, const std::string& playlist_path,
                                  std::int32_t index, std::int16_t ssi_width) {
  std::string line;
  if (!FindPlaylistEntryLine(system.ReadOrCreateFile(playlist_path), index, line)) return {};
  return ssi_width != 0 ? LastCharacters(line, ssi_width) : line;
}

}  // namespace tunaro
