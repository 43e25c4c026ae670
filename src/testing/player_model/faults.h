// Ways the player's answers and files can be wrong on purpose, so tests can
// show what the remote control does when a real player answers oddly. (A
// player that hangs or dies is the program's around the model.)
#ifndef TUNARO_TESTING_PLAYER_MODEL_FAULTS_H_
#define TUNARO_TESTING_PLAYER_MODEL_FAULTS_H_

#include <optional>

namespace player_model {

struct Faults {
  // Answer for positions past the end of the path (a correct player says 0).
  long long path_end_answer = 0;
  // Report 'a' at every position, so the path never ends.
  bool endless_path = false;
  // Answer WritePlaylist without writing the file.
  bool no_playlist_file = false;
  // The file holds this many entries more (or fewer) than the player.
  long long file_entries_delta = 0;
  // Raw answers that replace the true ones.
  std::optional<long long> report_count;
  std::optional<long long> state_answer;
  std::optional<long long> length_answer;
};

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_FAULTS_H_
