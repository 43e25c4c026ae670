// The stand-in player running under Wine for the length of a test.
#ifndef TUNARO_TESTS_PROCESS_HARNESS_STANDIN_PLAYER_H_
#define TUNARO_TESTS_PROCESS_HARNESS_STANDIN_PLAYER_H_

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "harness/process.h"
#include "harness/temp_dir.h"

namespace harness {

// One message the player received, as its --log records it.
struct LoggedMessage {
  long long message = 0;
  long long wparam = 0;    // a file record's kind
  long long lparam = 0;    // a file record's size
  bool to_editor = false;  // to the playlist editor's window
  std::string data = {};   // a file record's bytes
  bool operator==(const LoggedMessage& other) const {
    return message == other.message && wparam == other.wparam && lparam == other.lparam &&
           to_editor == other.to_editor && data == other.data;
  }
};
std::ostream& operator<<(std::ostream& out, const LoggedMessage& logged);

// A query and a command as the log shows them.
LoggedMessage LoggedQuery(long long code, long long argument);
LoggedMessage LoggedCommand(long long id);
// A message to the playlist editor's window: the code in wParam.
LoggedMessage LoggedEditorMessage(long long code, long long value);
// A file record (WM_COPYDATA) of `kind` holding `bytes`.
LoggedMessage LoggedFile(long long kind, const std::string& bytes, bool to_editor);

// Where a player started with --like-current and no --playlist-dir keeps its
// playlist file.
enum class CurrentPlayerFolder {
  // A folder in the player's private directory, given to it with
  // --playlist-dir, so that no test meets another's file.
  kPrivate,
  // %APPDATA%\Winamp of the shared prefix, as on a per-user install. Every
  // test that asks for it shares that folder; the playlist files in it are
  // removed when the player object goes.
  kAppData,
};

class StandinPlayer {
 public:
  // Installs standin_player.exe in a private directory (so its playlist
  // file is written there unless `args` say otherwise), starts it with `args`
  // plus --log and --ready, and waits up to 20 s for its window. Adds a test
  // failure when it does not come up; check ready(). `environment` adds to or
  // replaces variables of Wine's (LC_ALL, say, for another ANSI code page).
  explicit StandinPlayer(const std::vector<std::string>& args = {},
                         CurrentPlayerFolder folder = CurrentPlayerFolder::kPrivate,
                         const Environment& environment = {});
  // Stop().
  ~StandinPlayer();
  StandinPlayer(const StandinPlayer&) = delete;
  StandinPlayer& operator=(const StandinPlayer&) = delete;

  bool ready() const { return ready_; }
  bool Running();
  // Kills it by pid and waits until the process is gone; idempotent.
  void Stop();
  // Waits at most `timeout` for it to end by itself (e.g. after --quit-on).
  bool WaitForExit(std::chrono::milliseconds timeout);
  std::optional<int> exit_code() const;

  // The messages received since the start (or the last ClearLog()).
  std::vector<LoggedMessage> Log() const;
  // Polls until Log() holds at least `count` messages; false once no new
  // message has arrived for `stall`: a loaded machine is slow, not stuck.
  bool WaitForLogCount(std::size_t count,
                       std::chrono::milliseconds stall = std::chrono::seconds(30)) const;
  // The size of its message log in bytes: it grows with every message, a
  // cheap sign that a run is getting on (CgiRequest::progress).
  std::size_t LogBytes() const;
  void ClearLog();

  // The window handle it reported when ready.
  std::uintptr_t window() const { return window_; }
  // The program path it reports (Windows form): --program-path if given,
  // else the installed exe.
  const std::string& program_path() const { return program_path_; }
  // Linux path of the playlist file it writes, as it said when ready: beside
  // the program, in --playlist-dir, or in %APPDATA%\Winamp (empty when that
  // is not on Z: or C:, or it did not come up).
  const std::string& playlist_path() const { return playlist_path_; }
  // Linux path of the UTF-8 copy beside it (the .m3u8), which it writes with
  // --write-on-change or --like-current.
  std::string utf8_playlist_path() const;
  // What it printed (standard output and error).
  std::string ConsoleOutput() const;
  // Its private directory.
  const TempDir& dir() const { return dir_; }

 private:
  std::vector<LoggedMessage> AllLogged() const;
  // Reads the window handle and the playlist file's path from the ready file.
  void ReadReadyFile(const std::string& prefix_path);

  TempDir dir_;
  bool remove_playlist_files_ = false;
  std::unique_ptr<ChildProcess> process_;
  bool ready_ = false;
  std::uintptr_t window_ = 0;
  std::string program_path_;
  std::string playlist_path_;
  std::size_t cleared_ = 0;
};

}  // namespace harness

#endif  // TUNARO_TESTS_PROCESS_HARNESS_STANDIN_PLAYER_H_
