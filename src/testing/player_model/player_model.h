// The player as the remote control meets it: what it answers to each query,
// what each command does, and the playlist file it writes and where. The
// stand-in player's window and the fake system pass their messages to it and
// add only what is theirs (a hang, a death, a log of the messages), so each
// behaviour is written once. A message the player learns is one method here
// and one line in each of them.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYER_MODEL_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYER_MODEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "testing/player_model/faults.h"
#include "testing/player_model/playback.h"
#include "testing/player_model/player_host.h"
#include "testing/player_model/playlist.h"
#include "testing/player_model/playlist_place.h"
#include "testing/player_model/playlist_text.h"
#include "testing/player_model/version_traits.h"

namespace player_model {

// Plain data and the messages that act on it, so a test sets up any player.
class PlayerModel {
 public:
  // What it plays.
  Playlist playlist;
  Playback playback;
  // Which version it acts as, and what it gets wrong on purpose.
  VersionTraits traits;
  Faults faults;
  LineEnd line_end = LineEnd::kCrLf;
  // The path it reports through the path queries, and %APPDATA% as it sees
  // it (empty: not set).
  std::string program_path;
  std::string app_data;

  // The answer to query `code` (message 1024, the code in lParam) with
  // wParam `argument`; writes the playlist file first for WritePlaylist.
  long long Answer(long long code, unsigned long long argument, PlayerHost& host);
  // Does command `id` (message 273, the id in wParam).
  void Command(unsigned long long id, PlayerHost& host);
  // Takes the file of a WM_COPYDATA record of `kind` (dwData) to the main
  // window, or with `to_editor` to the playlist editor's: appends or
  // inserts it. 1 when it took the file, 0 for a kind it does not know.
  long long CopyData(unsigned long long kind, const std::string& bytes, bool to_editor,
                     PlayerHost& host);
  // The answer to message 1024 sent to the playlist editor's window: the
  // code in wParam and the value in lParam (the other way round from the
  // main window's queries).
  long long EditorAnswer(long long code, long long value, PlayerHost& host);

  // The handle of its playlist editor's window, which QueryWindow answers;
  // the program around the model makes the window.
  long long editor_window = 0;

  // Where it keeps its playlist file, under a code page with `lead_bytes`.
  PlaylistPlace Place(const LeadBytes& lead_bytes) const;
  // Its UTF-8 copy beside `place`; empty when it writes none.
  std::string Utf8CopyPath(const PlaylistPlace& place) const;
  // The text WritePlaylist writes into the playlist file.
  std::string PlaylistText() const;

 private:
  long long PathChar(unsigned long long position) const;
  long long Length(unsigned long long which) const;
  long long StreamInfo(unsigned long long which) const;
  long long Jump(long long milliseconds, PlayerHost& host);
  long long Volume(long long argument, PlayerHost& host);
  void SetOrder(const char* name, bool* order, unsigned long long argument, PlayerHost& host);
  long long WritePlaylist(PlayerHost& host);
  void WriteFiles(PlayerHost& host);
  void SelectEntry(unsigned long long index, PlayerHost& host);
  // The entries the file holds: the list's, with the file's faults.
  std::vector<Entry> FileEntries() const;
  TextLayout Layout() const;

  // The list's revision at the last write that succeeded; none before it.
  std::optional<std::uint64_t> written_revision_;
};

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYER_MODEL_H_
