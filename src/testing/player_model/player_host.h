// What the player model needs of the program it runs in: the stand-in player
// on Windows, or the fake system in a test.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYER_HOST_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYER_HOST_H_

#include <cstdint>
#include <optional>
#include <string>

#include "testing/player_model/playlist_place.h"

namespace player_model {

class PlayerHost {
 public:
  virtual ~PlayerHost() = default;

  // The system's ANSI code page, as the player names files in it.
  virtual LeadBytes AnsiLeadBytes() = 0;
  // Bytes of the ANSI code page in UTF-8; nothing when they cannot be
  // converted.
  virtual std::optional<std::string> AnsiToUtf8(const std::string& ansi) = 0;
  // UTF-8 as bytes of the ANSI code page, "?" for a character it lacks.
  virtual std::string Utf8ToAnsi(const std::string& utf8) = 0;
  // Replaces the file's bytes; true when every byte was written.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  // The address, in the player's own memory, of `folder` as a NUL-ended
  // text, which a directory query answers and the asker reads from outside.
  virtual std::int64_t AddressOfFolderText(const std::string& folder) = 0;
  // One line for whoever watches the player: what it did, or failed to do.
  virtual void Say(const std::string& line) = 0;
};

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYER_HOST_H_
