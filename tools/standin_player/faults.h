// Ways the stand-in player can misbehave on purpose, so tests can show what
// the remote control does when a real player answers oddly, hangs or dies.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_FAULTS_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_FAULTS_H_

#include <optional>
#include <string>

namespace standin {

struct Faults {
  // Program path reported character by character instead of the real one.
  std::optional<std::string> program_path;
  // Answer for positions past the end of the path (a correct player says 0).
  long long path_end_answer = 0;
  // Report 'a' at every position, so the path never ends.
  bool endless_path = false;
  // Query code whose message is never answered / ends the process.
  std::optional<long long> hang_on;
  std::optional<long long> quit_on;
  // Answer WritePlaylist without writing the file.
  bool no_playlist_file = false;
  // The file holds this many entries more (or fewer) than the player.
  long long file_entries_delta = 0;
  // Raw answers that replace the true ones.
  std::optional<long long> report_count;
  std::optional<long long> state_answer;
  std::optional<long long> length_answer;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_FAULTS_H_
