// What the player answers and does for each query and command, apart from
// the window that receives them.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_

#include <string>

#include "faults.h"
#include "m3u.h"
#include "playlist.h"

namespace standin {

class Player {
 public:
  // `program_path` is the path reported through the path queries; the
  // playlist file is written beside it under the same name with "m3u".
  Player(Playlist playlist, Faults faults, LineEnd line_end, std::string program_path);

  // The answer to query `code` with argument `argument`; writes the playlist
  // file first for WritePlaylist.
  long long Answer(long long code, unsigned long long argument);
  void Command(unsigned long long id);

  const Playlist& playlist() const { return playlist_; }
  const std::string& program_path() const { return program_path_; }
  const std::string& playlist_file() const { return playlist_file_; }

 private:
  long long PathChar(unsigned long long position) const;
  long long Length(unsigned long long which) const;
  long long StreamInfo(unsigned long long which) const;
  long long WritePlaylist();
  void SelectEntry(unsigned long long index);

  Playlist playlist_;
  Faults faults_;
  LineEnd line_end_;
  std::string program_path_;
  std::string playlist_file_;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PLAYER_H_
