#include "player/player_status.h"

#include <algorithm>
#include <utility>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"
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

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The text of the UTF-8 copy without its byte order mark, when it is an
// ordinary file written no earlier than the playlist file.
std::optional<std::string> ReadUtf8CopyText(SystemInterface& system, const std::string& ansi_path) {
  const std::string copy_path = Utf8CopyPathFor(ansi_path);
  if (!system.IsOrdinaryFile(ansi_path) || !system.IsOrdinaryFile(copy_path)) return std::nullopt;
  const std::uint64_t ansi_time = system.FileWriteTime(ansi_path);
  const std::uint64_t copy_time = system.FileWriteTime(copy_path);
  if (ansi_time == 0 || copy_time < ansi_time) return std::nullopt;
  std::string text = system.ReadWholeFile(copy_path);
  if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    text.erase(0, kByteOrderMark.size());
  }
  return text;
}

std::string ReadPlaylistFile(SystemInterface& system, const PlayerStatus& status) {
  return system.IsOrdinaryFile(status.PlaylistPath) ? system.ReadWholeFile(status.PlaylistPath)
                                                    : std::string();
}

// The titles of the ANSI playlist file, or of the UTF-8 copy when there is a
// usable one with as many entries (entries are matched by position); true
// when they came from the copy.
bool WalkTitles(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status) {
  std::string ansi = ReadPlaylistFile(system, status);
  const std::optional<std::string> copy = ReadUsableUtf8Copy(system, status.PlaylistPath, ansi);
  if (copy) {
    // Only its entry count was wanted: a long list's two files are not held
    // at once while its titles are made.
    std::string().swap(ansi);
    WalkPlaylistTitles(*copy, CharacterRule::Utf8(), ssi_width, status.Titles);
    return true;
  }
  WalkPlaylistTitles(ansi, AnsiCharacters(system), ssi_width, status.Titles);
  return false;
}

// An entry's title as CurrentTitleOf gives it; empty for no entry (the cut
// still refuses a negative width).
std::string TitleOrNone(const std::optional<PlaylistEntry>& entry, const CharacterRule& characters,
                        std::int16_t ssi_width) {
  return entry ? CurrentTitleOf(*entry, characters, ssi_width)
               : std::string(CutTitle("", ssi_width, characters));
}

// The player names its current entry in its answer to WritePlaylist; the
// second of two answers is taken. Its title comes from the file the titles
// came from.
void ReadCurrentTitle(SystemInterface& system, std::int16_t ssi_width, bool from_copy,
                      PlayerStatus& status) {
  Ask(system, status, WritePlaylist);
  status.CurrentEntry = Ask(system, status, WritePlaylist);
  if (from_copy) {
    if (const std::optional<std::string> copy = ReadUtf8CopyText(system, status.PlaylistPath)) {
      const std::optional<PlaylistEntry> entry = FindPlaylistEntry(*copy, status.CurrentEntry);
      status.CurrentTitle = TitleOrNone(entry, CharacterRule::Utf8(), ssi_width);
      status.CurrentTitleInUtf8 = true;
      return;
    }
  }
  const std::optional<PlaylistEntry> entry =
      ReadPlaylistEntryLine(system, status.PlaylistPath, status.CurrentEntry);
  status.CurrentTitle = TitleOrNone(entry, AnsiCharacters(system), ssi_width);
  status.CurrentTitleInUtf8 = false;
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
  const bool from_copy = WalkTitles(system, ssi_width, status);
  status.TitlesInUtf8 = from_copy;
  ReadCurrentTitle(system, ssi_width, from_copy, status);
}

bool LocatePlayerFiles(SystemInterface& system, PlayerStatus& status) {
  if (!status.PlaylistPath.empty()) return true;
  std::optional<PlayerFiles> files = FindPlayerFiles(system, status.PlayerWindow);
  if (!files) return false;
  status.PlayerPath = std::move(files->program);
  status.PlaylistPath = std::move(files->playlist);
  return true;
}

std::optional<PlaylistText> ReadFreshPlaylist(SystemInterface& system, PlayerStatus& status) {
  PlaylistFileLock lock(system);
  return ReadFreshPlaylistLocked(system, status);
}

std::optional<PlaylistText> ReadFreshPlaylistLocked(SystemInterface& system, PlayerStatus& status) {
  status.CurrentEntry = Ask(system, status, WritePlaylist);
  if (!LocatePlayerFiles(system, status)) return std::nullopt;
  PlaylistText playlist{ReadPlaylistFile(system, status)};
  if (std::optional<std::string> copy =
          ReadUsableUtf8Copy(system, status.PlaylistPath, playlist.text)) {
    playlist.text = std::move(*copy);
    playlist.utf8_copy = true;
  }
  return playlist;
}

std::optional<std::string> ReadUsableUtf8Copy(SystemInterface& system,
                                              const std::string& playlist_path,
                                              std::string_view ansi) {
  std::optional<std::string> copy = ReadUtf8CopyText(system, playlist_path);
  if (!copy || CountPlaylistEntries(*copy) != CountPlaylistEntries(ansi)) return std::nullopt;
  return copy;
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
std::string CurrentTitleOf(const PlaylistEntry& entry, const CharacterRule& characters,
                           std::int16_t ssi_width) {
  return std::string(
      entry.info_line
          ? CutTitle(TextAfterFirstComma(CutTitle(*entry.info_line, ssi_width, characters)),
                     ssi_width, characters)
          : CutTitle(WholeTitleOf(entry, characters), ssi_width, characters));
}

std::string_view WholeTitleOf(const PlaylistEntry& entry, const CharacterRule& characters) {
  return entry.info_line ? TextAfterFirstComma(*entry.info_line)
                         : FileTitle(entry.file_line, characters);
}

std::string Utf8CopyPathFor(const std::string& playlist_path) { return playlist_path + "8"; }

}  // namespace tunaro
