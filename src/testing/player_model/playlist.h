// The player's list of entries, which one is current, and whether it plays.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "player/player_messages.h"

namespace player_model {

struct Entry {
  std::string title;  // display title, raw bytes (of the ANSI code page)
  std::string path;   // the entry's file path, raw bytes
  int seconds = -1;   // length; -1 when unknown
  // Title and path in UTF-8, for an entry that has characters the ANSI bytes
  // lost; empty: the ANSI bytes say it all.
  std::string utf8_title = {};
  std::string utf8_path = {};
};

// Entries of these titles, each `seconds` long, in the files
// C:\Music\track1.mp3, C:\Music\track2.mp3 and so on.
std::vector<Entry> EntriesTitled(const std::vector<std::string>& titles, int seconds = 205);

// The values the player answers for its state query.
enum class PlayState {
  kStopped = tunaro::StateStopped,
  kPlaying = tunaro::StatePlaying,
  kPaused = tunaro::StatePaused,
};

const char* PlayStateName(PlayState state);

// Plain data, so a test sets up any list and any current index (even one
// outside the list, which the player then reports as it is). What the player
// itself does to it goes through the methods.
struct Playlist {
  std::vector<Entry> entries;
  long long current = 0;
  PlayState state = PlayState::kStopped;
  // Counts the changes of `entries` made by the player; a player that
  // writes its file only when the list changed compares it with the count
  // at its last write. Set-up that assigns `entries` does so before the
  // first write, which always writes.
  std::uint64_t revision = 0;

  // The current entry, or null when the index is outside the list.
  const Entry* Current() const;

  // Makes `index` current; an index outside the list is ignored (returns false).
  bool Select(long long index);
  // Previous and next stop at the ends of the list instead of wrapping, so a
  // test can tell "moved" from "stayed" without knowing the list's length.
  void Previous();
  void Next();
  // Play does nothing on an empty list.
  void Play();
  // Playing and paused swap; stopped stays stopped.
  void TogglePause();
  void Stop();

  // The playlist editor's changes. Each counts as a change of the list and
  // keeps the current entry on the song it was on: an entry put in at or
  // before it moves it down, one taken out before it moves it up, and a swap
  // takes it along. Removing the current entry makes the one after it
  // current (the new last one at the end). An index outside the list changes
  // nothing (returns false); an insert past the end appends.
  void Append(Entry entry);
  void Insert(long long index, Entry entry);
  bool Delete(long long index);
  bool Swap(long long from, long long to);
  // Empties the list; nothing is left to play.
  void Clear();
};

// "3:25", or "1:02:05" from an hour on; empty for an unknown length.
std::string FormatLength(int seconds);

// "3. Some Title (3:25)" for the current entry, numbered from 1.
std::string DescribeCurrent(const Playlist& playlist);

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_H_
