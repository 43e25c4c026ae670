#include "harness/standin_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "harness/files.h"
#include "harness/paths.h"
#include "harness/wine_prefix.h"
#include "player/player_messages.h"

namespace harness {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kExeName[] = "standin_player.exe";
constexpr char kLogName[] = "messages.log";
constexpr char kReadyName[] = "ready";
constexpr char kConsoleName[] = "console.txt";
constexpr char kPlaylistFolderName[] = "playlists";
constexpr std::chrono::seconds kReadyTimeout{20};
constexpr std::chrono::milliseconds kPollInterval{2};

std::string ValueAfter(const std::vector<std::string>& args, const std::string& name) {
  std::string value;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    if (args[i] == name) value = args[i + 1];
  }
  return value;
}

bool Has(const std::vector<std::string>& args, const std::string& name) {
  return std::find(args.begin(), args.end(), name) != args.end();
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const LoggedMessage& logged) {
  out << "{" << logged.message << " " << logged.wparam << " " << logged.lparam;
  if (logged.to_editor) out << " pe";
  if (!logged.data.empty()) out << " data:" << logged.data.size() << " bytes";
  return out << "}";
}

LoggedMessage LoggedQuery(long long code, long long argument) {
  return {tunaro::QueryMessage, argument, code};
}

LoggedMessage LoggedCommand(long long id) { return {tunaro::CommandMessage, id, 0}; }

LoggedMessage LoggedEditorMessage(long long code, long long value) {
  return {tunaro::QueryMessage, code, value, true};
}

LoggedMessage LoggedFile(long long kind, const std::string& bytes, bool to_editor) {
  return {tunaro::CopyDataMessage, kind, static_cast<long long>(bytes.size()), to_editor, bytes};
}

StandinPlayer::StandinPlayer(const std::vector<std::string>& args, CurrentPlayerFolder folder,
                             const Environment& environment)
    : dir_("tunaro-player") {
  const std::string exe = InstallExe(dir_, kExeName);
  if (exe.empty()) return;
  const WinePrefix& prefix = SharedPrefix();
  program_path_ = ValueAfter(args, "--program-path");
  if (program_path_.empty()) program_path_ = WindowsPath(exe);

  std::vector<std::string> all_args = args;
  if (Has(args, "--like-current") && !Has(args, "--playlist-dir")) {
    if (folder == CurrentPlayerFolder::kPrivate) {
      const std::string playlists = dir_.Path(kPlaylistFolderName);
      EXPECT_TRUE(MakeDirectory(playlists)) << "cannot make " << playlists;
      all_args.insert(all_args.end(), {"--playlist-dir", WindowsPath(playlists)});
    } else {
      remove_playlist_files_ = true;
    }
  }
  all_args.insert(all_args.end(), {"--log", WindowsPath(dir_.Path(kLogName)), "--ready",
                                   WindowsPath(dir_.Path(kReadyName))});
  Environment wine_environment = prefix.WineEnvironment();
  for (const auto& [name, value] : environment) wine_environment[name] = value;
  process_ = std::make_unique<ChildProcess>(prefix.WineCommand(exe, all_args), wine_environment,
                                            dir_.path(), dir_.Path(kConsoleName));
  const Clock::time_point deadline = Clock::now() + kReadyTimeout;
  while (!FileExists(dir_.Path(kReadyName))) {
    if (!process_->Running() || Clock::now() >= deadline) {
      ADD_FAILURE() << "the stand-in player did not come up; it said:\n" << ConsoleOutput();
      Stop();
      return;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  ReadReadyFile(prefix.path());
}

void StandinPlayer::ReadReadyFile(const std::string& prefix_path) {
  std::istringstream ready(ReadFileBytes(dir_.Path(kReadyName)).value_or(""));
  std::string playlist_file;
  if (!(ready >> window_) || !ready.ignore() || !std::getline(ready, playlist_file)) {
    ADD_FAILURE() << "unreadable ready file " << dir_.Path(kReadyName);
    Stop();
    return;
  }
  playlist_path_ = LinuxPath(playlist_file, prefix_path);
  ready_ = true;
}

StandinPlayer::~StandinPlayer() {
  Stop();
  if (remove_playlist_files_ && !playlist_path_.empty()) {
    RemoveTree(playlist_path_);
    RemoveTree(utf8_playlist_path());
  }
}

std::string StandinPlayer::utf8_playlist_path() const {
  return playlist_path_.empty() ? std::string() : playlist_path_ + "8";
}

bool StandinPlayer::Running() { return process_ != nullptr && process_->Running(); }

void StandinPlayer::Stop() {
  if (process_ != nullptr) process_->Kill();
}

bool StandinPlayer::WaitForExit(std::chrono::milliseconds timeout) {
  return process_ == nullptr || process_->WaitForExit(timeout);
}

std::optional<int> StandinPlayer::exit_code() const {
  return process_ == nullptr ? std::nullopt : process_->exit_code();
}

std::vector<LoggedMessage> StandinPlayer::AllLogged() const {
  std::vector<LoggedMessage> logged;
  const std::string text = ReadFileBytes(dir_.Path(kLogName)).value_or("");
  std::size_t start = 0;
  // Only whole lines: the player may be writing the next one right now.
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::istringstream line(text.substr(start, end - start));
    LoggedMessage message;
    bool readable = static_cast<bool>(line >> message.message >> message.wparam >> message.lparam);
    // Then " pe" for the playlist editor's window, and " data:<hex>" for a
    // file record's bytes.
    for (std::string word; readable && line >> word;) {
      if (word == "pe") {
        message.to_editor = true;
      } else if (word.rfind("data:", 0) == 0 && word.size() % 2 == 1) {
        for (std::size_t k = 5; k < word.size(); k += 2) {
          message.data += static_cast<char>(std::stoi(word.substr(k, 2), nullptr, 16));
        }
      } else {
        readable = false;
      }
    }
    if (readable) {
      logged.push_back(message);
    } else {
      ADD_FAILURE() << "unreadable log line: " << text.substr(start, end - start);
    }
  }
  return logged;
}

std::vector<LoggedMessage> StandinPlayer::Log() const {
  std::vector<LoggedMessage> logged = AllLogged();
  logged.erase(logged.begin(),
               logged.begin() + static_cast<std::ptrdiff_t>(std::min(cleared_, logged.size())));
  return logged;
}

bool StandinPlayer::WaitForLogCount(std::size_t count, std::chrono::milliseconds stall) const {
  std::size_t seen = Log().size();
  Clock::time_point last_news = Clock::now();
  while (seen < count) {
    std::this_thread::sleep_for(kPollInterval);
    const std::size_t now_seen = Log().size();
    if (now_seen != seen) {
      seen = now_seen;
      last_news = Clock::now();
    } else if (Clock::now() - last_news >= stall) {
      return false;
    }
  }
  return true;
}

std::size_t StandinPlayer::LogBytes() const {
  struct stat info;
  return ::stat(dir_.Path(kLogName).c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size)
                                                         : 0;
}

void StandinPlayer::ClearLog() { cleared_ = AllLogged().size(); }

std::string StandinPlayer::ConsoleOutput() const {
  return ReadFileBytes(dir_.Path(kConsoleName)).value_or("");
}

}  // namespace harness
