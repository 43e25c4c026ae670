#include "player/player_status.h"

#include <algorithm>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "platform/ansi_characters.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_location.h"
#include "player/playlist_path.h"
#include "player/status_texts.h"

namespace tunaro {
namespace {

std::int32_t Ask(SystemInterface& system, const PlayerStatus& status, std::int32_t code,
                 std::int32_t argument = 0) {
  return SendPlayerQuery(system, status.PlayerWindow, code, argument);
}

constexpr std::size_t kFirstPlaylistPiece = 64 * 1024;

// A program path worth using: it names an ordinary file and is long enough to
// name the playlist file after it.
bool IsUsableProgramPath(SystemInterface& system, const std::string& path) {
  return !PlaylistPathFor(path, AnsiCharacters(system)).empty() && system.IsOrdinaryFile(path);
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The text of the player's UTF-8 copy without its byte order mark, when the
// copy is an ordinary file written no earlier than the ANSI file (the same
// WritePlaylist writes both; an older copy is left from an earlier list).
std::optional<std::string> ReadUtf8Copy(SystemInterface& system, const std::string& ansi_path) {
  const std::string copy_path = Utf8CopyPathFor(ansi_path);
  if (!system.IsOrdinaryFile(copy_path)) return std::nullopt;
  const std::uint64_t ansi_time = system.FileWriteTime(ansi_path);
  const std::uint64_t copy_time = system.FileWriteTime(copy_path);
  if (ansi_time == 0 || copy_time < ansi_time) return std::nullopt;
  std::string text = system.ReadWholeFile(copy_path);
  if (text.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
    text.erase(0, kByteOrderMark.size());
  }
  return text;
}

// Learns once per run where the player's program is (from the player, or
// from its process when the player does not say) and where it keeps its
// playlist file. Without a program file the run ends with what it wrote.
void LocatePlayerFiles(SystemInterface& system, PlayerStatus& status) {
  status.PlayerPath = FindPlayerModulePath(system, status.PlayerWindow);
  if (!IsUsableProgramPath(system, status.PlayerPath)) {
    status.PlayerPath = system.PlayerProcessImagePath(status.PlayerWindow);
  }
  if (!IsUsableProgramPath(system, status.PlayerPath)) throw RunEndedEarly{};
  status.PlaylistPath = LocatePlaylistFile(system, status.PlayerWindow, status.PlayerPath);
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

// The titles of the ANSI playlist file, or of the UTF-8 copy when there is a
// usable one with as many entries (entries are matched by position); true
// when they came from the copy.
bool WalkTitles(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status) {
  if (!system.IsOrdinaryFile(status.PlaylistPath)) return false;
  const std::string ansi = system.ReadWholeFile(status.PlaylistPath);
  std::optional<std::string> copy = ReadUtf8Copy(system, status.PlaylistPath);
  if (copy && CountPlaylistEntries(*copy) == CountPlaylistEntries(ansi)) {
    TitleForm form = TitleForm::ForUtf8Copy(system);
    WalkPlaylistTitles(*copy, form, ssi_width, status.Titles);
    return true;
  }
  TitleForm form(AnsiCharacters(system));
  WalkPlaylistTitles(ansi, form, ssi_width, status.Titles);
  return false;
}

// The player names its current entry in its answer to WritePlaylist; the
// second of two answers is taken. Its title comes from the file the titles
// came from.
void ReadCurrentTitle(SystemInterface& system, std::int16_t ssi_width, bool from_copy,
                      PlayerStatus& status) {
  Ask(system, status, WritePlaylist);
  status.CurrentEntry = Ask(system, status, WritePlaylist);
  if (from_copy) {
    if (const std::optional<std::string> copy = ReadUtf8Copy(system, status.PlaylistPath)) {
      TitleForm form = TitleForm::ForUtf8Copy(system);
      const std::optional<PlaylistEntry> entry = FindPlaylistEntry(*copy, status.CurrentEntry);
      status.CurrentTitle = entry ? CurrentTitleOf(*entry, form, ssi_width)
                                  : std::string(CutTitle("", ssi_width, form.characters()));
      return;
    }
  }
  TitleForm form(AnsiCharacters(system));
  const std::optional<PlaylistEntry> entry =
      ReadPlaylistEntryLine(system, status.PlaylistPath, status.CurrentEntry);
  status.CurrentTitle = entry ? CurrentTitleOf(*entry, form, ssi_width)
                              : std::string(CutTitle("", ssi_width, form.characters()));
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
  status.Titles.Reset(static_cast<std::size_t>(status.EntryCount) + 1);

  LocatePlayerFiles(system, status);
  const bool from_copy = WalkTitles(system, ssi_width, status);
  ReadCurrentTitle(system, ssi_width, from_copy, status);
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

std::string CurrentTitleOf(const PlaylistEntry& entry, TitleForm& form, std::int16_t ssi_width) {
  const CharacterRule& characters = form.characters();
  const std::string_view title =
      entry.info_line
          ? CutTitle(TextAfterFirstComma(CutTitle(*entry.info_line, ssi_width, characters)),
                     ssi_width, characters)
          : CutTitle(FileTitle(entry.file_line, characters), ssi_width, characters);
  std::string page_form;
  form.PageForm(title, page_form);
  return page_form;
}

std::string Utf8CopyPathFor(const std::string& playlist_path) { return playlist_path + "8"; }

}  // namespace tunaro
