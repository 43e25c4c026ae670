// The stand-in player's list of entries, which one is current, and whether it
// plays. Pure logic, so the window procedure only translates messages into calls.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_H_

#include <cstddef>
#include <string>
#include <vector>

#include "player/player_messages.h"

namespace standin {

struct Entry {
  std::string title;  // display title, raw bytes (of the ANSI code page)
  std::string path;   // the entry's file path, raw bytes
  int seconds = -1;   // length; -1 when unknown
  // Title and path in UTF-8, for an entry that has characters the ANSI bytes
  // lost; empty: the ANSI bytes say it all.
  std::string utf8_title = {};
  std::string utf8_path = {};
};

// The values the player answers for its state query.
enum class PlayState {
  kStopped = tunaro::StateStopped,
  kPlaying = tunaro::StatePlaying,
  kPaused = tunaro::StatePaused,
};

const char* PlayStateName(PlayState state);

class Playlist {
 public:
  // `current` is taken as given, even outside the list, so a test can make the
  // player report an index the list does not have.
  Playlist(std::vector<Entry> entries, long long current, PlayState state);

  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  long long current_index() const { return current_; }
  PlayState state() const { return state_; }
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

 private:
  std::vector<Entry> entries_;
  long long current_;
  PlayState state_;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYLIST_H_
