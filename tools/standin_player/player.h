// What the player answers and does for each query and command, apart from
// the window that receives them.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_

#include <string>

#include "faults.h"
#include "m3u.h"
#include "page_end_text.h"
#include "playback.h"
#include "playlist.h"
#include "playlist_place.h"
#include "version_traits.h"

namespace standin {

class Player {
 public:
  // `program_path` is the path reported through the path queries; `place`
  // says where the playlist file goes and which query reports its folder.
  Player(Playlist playlist, Playback playback, Faults faults, VersionTraits traits,
         LineEnd line_end, std::string program_path, PlaylistPlace place);

  // The answer to query `code` with argument `argument`; writes the playlist
  // file first for WritePlaylist.
  long long Answer(long long code, unsigned long long argument);
  void Command(unsigned long long id);

  const Playlist& playlist() const { return playlist_; }
  const std::string& program_path() const { return program_path_; }
  const PlaylistPlace& place() const { return place_; }
  const std::string& playlist_file() const { return place_.file; }
  // The UTF-8 copy beside the playlist file; empty when it writes none.
  std::string utf8_playlist_file() const;

 private:
  long long PathChar(unsigned long long position) const;
  long long Length(unsigned long long which) const;
  long long StreamInfo(unsigned long long which) const;
  long long Jump(long long milliseconds);
  long long Volume(long long argument);
  void SetOrder(const char* name, bool* order, unsigned long long argument);
  long long FolderAnswer() const;
  long long WritePlaylist();
  void WriteFiles();
  void SelectEntry(unsigned long long index);

  Playlist playlist_;
  Playback playback_;
  Faults faults_;
  VersionTraits traits_;
  LineEnd line_end_;
  std::string program_path_;
  // Its reported_folder is the text whose address the directory query
  // answers, so it never changes after construction.
  const PlaylistPlace place_;
  // The copy of its reported_folder whose address the query answers.
  const PageEndText reported_folder_text_;
  // Nothing edits the list while the player runs, so after the first
  // successful write the list is unchanged since the last one.
  bool list_written_ = false;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_
