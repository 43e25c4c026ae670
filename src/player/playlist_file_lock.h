// Holding the playlist file lock for a scope.
#ifndef TUNARO_PLAYER_PLAYLIST_FILE_LOCK_H_
#define TUNARO_PLAYER_PLAYLIST_FILE_LOCK_H_

#include "platform/system_interface.h"
#include "player/player_messages.h"

namespace tunaro {

// The player rewrites one playlist file for every run that asks; runs that
// the web server starts at the same time take turns from their first
// WritePlaylist to their last read, so none reads a file half rewritten.
// The lock is per session: the player, the web server and its runs share one.
class PlaylistFileLock {
 public:
  static constexpr char kName[] = "Local\\Tunaro.PlaylistFile";

  explicit PlaylistFileLock(SystemInterface& system) : system_(system) {
    system_.AcquireNamedLock(kName, PlaylistLockTimeoutMilliseconds);  // past the wait, go on
  }
  ~PlaylistFileLock() { system_.ReleaseNamedLock(); }
  PlaylistFileLock(const PlaylistFileLock&) = delete;
  PlaylistFileLock& operator=(const PlaylistFileLock&) = delete;

 private:
  SystemInterface& system_;
};

}  // namespace tunaro

#endif  // TUNARO_PLAYER_PLAYLIST_FILE_LOCK_H_
