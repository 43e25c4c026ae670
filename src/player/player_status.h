// A snapshot of the player for one page: state, current entry, titles.
//
// The titles (CurrentTitle and Titles) are held in the page's form, ready to
// be written into a page as they are: bytes of the system's ANSI code page,
// HTML-escaped ("&amp;", "&lt;", "&gt;", "&quot;"), with a decimal character
// reference ("&#321;") for each character that the code page does not hold.
// Such characters come from the player's UTF-8 copy of its playlist file (the
// ".m3u8" beside it), which is read instead of the ANSI file when it is as new
// and holds as many entries. Each title was cut to SSIWIDTH characters before
// it was escaped, a reference counting as one character. Where every title
// fits the code page, the page form is the escaped ANSI text, as it has always
// been.
#ifndef TUNARO_PLAYER_PLAYER_STATUS_H_
#define TUNARO_PLAYER_PLAYER_STATUS_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system_interface.h"
#include "player/playlist_walk.h"
#include "player/title_list.h"

namespace tunaro {

struct PlayerStatus {
  Handle PlayerWindow = 0;     // 0: no player running
  std::string PlayerPath;      // the player's program file
  std::string PlaylistPath;    // where the player writes its playlist file
  std::string StateText;       // "Playing", "Paused", "Stopped" or empty
  std::string LengthText;      // minutes:seconds of the current entry
  std::string SampleRateText;  // kHz followed by ",000"
  std::string BitRateText;     // kbit/s
  std::string CurrentTitle;    // in the page's form (see above)
  // The current entry's position from 0, as the last WritePlaylist answered
  // it; the pages mark the option at this position (none when it is outside
  // the list).
  std::int32_t CurrentEntry = -1;
  std::int32_t EntryCount = 0;  // entries as the player reports them, never negative
  // EntryCount + 1 slots in the page's form; the last is empty unless the file
  // holds more entries than the player reports.
  TitleList Titles;
};

// The most entries a page lists; a player that reports more is taken at this.
constexpr std::int32_t kMaxEntryCount = 1 << 20;

// Queries the player, has it write its playlist file, and reads the titles
// and the current entry, from the UTF-8 copy when there is a usable one.
// Ends the run (RunEndedEarly) when the player's program file cannot be
// found, neither from the player nor from its process. Every title is cut to
// its last `ssi_width` characters when that is not 0.
void RefreshPlayerStatus(SystemInterface& system, std::int16_t ssi_width, PlayerStatus& status);

// Entry `index` of the playlist file at `playlist_path`, as the file gives
// it; nothing when the file holds no such entry. Creates the file, empty,
// when there is none.
std::optional<PlaylistEntry> ReadPlaylistEntryLine(SystemInterface& system,
                                                   const std::string& playlist_path,
                                                   std::int32_t index);

// The title the page shows for an entry of the file, in the page's form made
// by `form`: for one with an information line, the line cut to its last
// `ssi_width` characters, then the text after its first comma, cut again; for
// one without, its file's name, cut (a cut happens only when `ssi_width` is
// not 0).
std::string CurrentTitleOf(const PlaylistEntry& entry, TitleForm& form, std::int16_t ssi_width);

// Where the player's UTF-8 copy of the playlist file at `playlist_path` is.
std::string Utf8CopyPathFor(const std::string& playlist_path);

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYER_STATUS_H_
