// What the player's controls change besides the list and its state: where
// in the song it is, how loud, and in which order it goes on.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYBACK_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYBACK_H_

namespace player_model {

struct Playback {
  // Milliseconds into the current song. It stands still (only a jump moves
  // it, and stop sets it to 0), so a test reads back exactly what it set.
  long long position_ms = 0;
  long long volume = 255;  // 0-255
  bool shuffle = false;
  bool repeat = false;
};

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYBACK_H_
