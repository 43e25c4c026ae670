// What the player reported, as the pages and the status answer write it:
// records only, so the renderers see them without the code that fills them
// (player_status.h, live_status.h).
#ifndef TUNARO_PLAYER_STATUS_RECORDS_H_
#define TUNARO_PLAYER_STATUS_RECORDS_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"
#include "player/title_list.h"

namespace tunaro {

// A snapshot of the player for one page: state, current entry, titles.
//
// The titles (CurrentTitle and Titles) are held as the player gave them:
// bytes of the system's ANSI code page from its playlist file, or UTF-8 from
// its copy of that file (the ".m3u8" beside it), which is read instead when
// it is as new and holds as many entries; the copy has in full what the code
// page lacks. Each title is cut to its last SSIWIDTH characters of that text.
// The pages write them in their own form (render/page_text.h).
struct PlayerStatus {
  Handle PlayerWindow = 0;          // 0: no player running
  std::string PlayerPath;           // the player's program file
  std::string PlaylistPath;         // where the player writes its playlist file
  std::string StateText;            // "Playing", "Paused", "Stopped" or empty
  std::string LengthText;           // minutes:seconds of the current entry
  std::string SampleRateText;       // kHz followed by ",000"
  std::string BitRateText;          // kbit/s
  std::string CurrentTitle;         // as the player gave it (see above)
  bool CurrentTitleInUtf8 = false;  // CurrentTitle is the copy's text
  // The current entry's position from 0, as the last WritePlaylist answered
  // it; the pages mark the option at this position (none when it is outside
  // the list).
  std::int32_t CurrentEntry = -1;
  std::int32_t EntryCount = 0;  // entries as the player reports them, never negative
  // EntryCount slots, filled from the file in order; the slots of entries the
  // file lacks stay empty.
  TitleList Titles;
  bool TitlesInUtf8 = false;  // Titles are the copy's text
};

// The most entries a page lists; a player that reports more is taken at this.
constexpr std::int32_t kMaxEntryCount = 1 << 20;

// The player's state for the status answer: what a page shows of it, as
// numbers.
struct LiveStatus {
  std::string state = "stopped";      // "playing", "paused" or "stopped" (StateNameFor)
  std::string title;                  // the current entry's title, whole, UTF-8
  std::int32_t position_seconds = 0;  // whole seconds into it, never negative
  std::int32_t length_seconds = -1;   // -1: unknown
  std::int32_t volume_percent = 0;    // 0 to 100
  bool shuffle = false;
  bool repeat = false;
  std::int32_t current = 0;  // the current entry from 1; 0: none
  std::int32_t entries = 0;  // as the player counts them, never negative
  std::int32_t kbps = 0;
  std::int32_t khz = 0;
  std::uint64_t list_hash = 0;  // of the playlist file's bytes, and its UTF-8 copy's when read
};

}  // namespace tunaro

#endif  // TUNARO_PLAYER_STATUS_RECORDS_H_
