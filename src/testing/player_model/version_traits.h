// What sets versions of the real player apart where the remote control meets
// them: what the program path query answers, where the playlist file lives
// and which query reports that folder, and when and how the file is written.
// The defaults are an old player's ways.
#ifndef TUNARO_TESTING_PLAYER_MODEL_VERSION_TRAITS_H_
#define TUNARO_TESTING_PLAYER_MODEL_VERSION_TRAITS_H_

#include <optional>
#include <string>

namespace player_model {

struct VersionTraits {
  // Answered to every program path query instead of the path's characters:
  // 0 as a 5.x player, 1 as a version that does not know the query.
  std::optional<long long> path_query_answer;
  // Folder of the playlist file, as given; empty: beside the program.
  std::string playlist_dir;
  // With no folder given, keep the file in %APPDATA%\Winamp, as a per-user
  // install of a current player does.
  bool playlist_dir_in_app_data = false;
  // The query that reports the folder (the directory queries of
  // player_messages.h); 0: neither. Unset: the playlist directory query when
  // a folder is given, else neither.
  std::optional<long long> directory_query;
  // The answer to a query the player does not know.
  long long unknown_answer = 0;
  // WritePlaylist writes only when the list changed since the last write,
  // and answers -1 for an empty list.
  bool write_on_change = false;
  // WritePlaylist also writes the list in UTF-8, with a byte order mark,
  // into a ".m3u8" beside the file, after it.
  bool utf8_copy = false;
  // Every n-th entry (n, 2n, ... from 1) is written without its #EXTINF line,
  // as a player does for files it has not read the details of; 0: none.
  long long bare_entries_every = 0;
  // Takes files in UTF-16 (WM_COPYDATA of AppendFileWide and InsertFileWide),
  // as current players do; an older one takes only ANSI paths.
  bool wide_files = false;
};

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_VERSION_TRAITS_H_
