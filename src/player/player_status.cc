#include "player/player_status.h"

#include <algorithm>
#include <utility>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_file_lock.h"
#include "player/playlist_location.h"
#include "player/status_texts.h"

namespace tunaro {
namespace {

std::int32_t Ask(SystemInterface& system, const PlayerStatus& status, std::int32_t code,
                 std::int32_t argument = 0) {
  return SendPlayerQuery(system, status.PlayerWindow, code, argument);
}

constexpr std::size_t kFirstPlaylistPiece = 64 * 1024;

std::string ReadPlaylistFile(SystemInterface& system, const PlayerStatus& status) {
  return system.IsOrdinaryFile(status.PlaylistPath) ? system.ReadWholeFile(status.PlaylistPath)
                                                    : std::string();
}

// The player names its current entry in its answer to WritePlaylist; the
// second of two answers is taken.
void ReadCurrentTitle(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status) {
  Ask(system, status, WritePlaylist);
  status.CurrentEntry = Ask(system, status, WritePlaylist);
  const std::optional<PlaylistEntry> entry =
      ReadPlaylistEntryLine(system, status.PlaylistPath, status.CurrentEntry);
  status.CurrentTitle =
      entry ? CurrentTitleOf(*entry, ssi_width) : std::string(CutTitle("", ssi_width));
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
  status.Titles.Reset(static_cast<std::size_t>(status.EntryCount));

  if (!LocatePlayerFiles(system, status)) throw RunEndedEarly{};
  WalkPlaylistTitles(ReadPlaylistFile(system, status), ssi_width, status.Titles);
  ReadCurrentTitle(system, ssi_width, status);
}

bool LocatePlayerFiles(SystemInterface& system, PlayerStatus& status) {
  if (!status.PlaylistPath.empty()) return true;
  std::optional<PlayerFiles> files = FindPlayerFiles(system, status.PlayerWindow);
  if (!files) return false;
  status.PlayerPath = std::move(files->program);
  status.PlaylistPath = std::move(files->playlist);
  return true;
}

std::optional<std::string> ReadFreshPlaylist(SystemInterface& system, PlayerStatus& status) {
  PlaylistFileLock lock(system);
  Ask(system, status, WritePlaylist);
  if (!LocatePlayerFiles(system, status)) return std::nullopt;
  return ReadPlaylistFile(system, status);
}

std::optional<PlaylistEntry> ReadPlaylistEntryLine(SystemInterface& system,
                                                   const std::string& playlist_path,
                                                   std::int32_t index) {
  // The file's start, longer and longer until it holds the entry or is read
  // whole: the current entry of a long list is rarely near its end, and each
  // byte not read is one less to wait for.
  constexpr std::size_t kWhole = static_cast<std::size_t>(-1);
  for (std::size_t limit = kFirstPlaylistPiece;; limit = limit > kWhole / 8 ? kWhole : limit * 8) {
    const std::string start = system.ReadOrCreateFile(playlist_path, limit);
    std::optional<PlaylistEntry> entry = FindPlaylistEntry(start, index);
    if (entry || start.size() < limit) return entry;
  }
}

// The information line is cut before its first comma is looked for, and the
// title after it once more. That is the current title's own rule, not the
// list's: with a comma among its last SSIWIDTH characters, a title shows
// shorter under Song Name than in the list (the text after that comma). The
// pages have always shown it so, and the list is not marked by title, so the
// two need not agree.
std::string CurrentTitleOf(const PlaylistEntry& entry, std::int16_t ssi_width) {
  if (!entry.info_line) return std::string(CutTitle(FileTitle(entry.file_line), ssi_width));
  return std::string(
      CutTitle(TextAfterFirstComma(CutTitle(*entry.info_line, ssi_width)), ssi_width));
}

}  // namespace tunaro
