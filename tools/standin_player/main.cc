// A stand-in for the media player: a window of the player's class that
// answers the remote control's messages from a playlist of its own, with
// switches for faults a real player might show.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "console.h"
#include "file_io.h"
#include "host.h"
#include "message_log.h"
#include "options.h"
#include "player_window.h"
#include "samples.h"
#include "testing/player_model/player_model.h"
#include "text_encoding.h"

namespace {

constexpr DWORD kOtherPlayerWaitMs = 10000;

HWND g_window = nullptr;

BOOL WINAPI OnConsoleControl(DWORD /*event*/) {
  // Runs on a thread of its own; let the window close itself.
  if (g_window != nullptr) PostMessageA(g_window, WM_CLOSE, 0, 0);
  return TRUE;
}

std::string OwnProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size =
        GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size < buffer.size()) return std::string(buffer.data(), size);
    buffer.resize(buffer.size() * 2);
  }
}

// The variable's value; empty when it is not set.
std::string EnvironmentVariable(const char* name) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD size =
        GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size < buffer.size()) return std::string(buffer.data(), size);
    buffer.resize(size);
  }
}

bool MakeFolder(const std::string& folder, std::string* error) {
  if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  *error = "cannot make the folder " + folder + " (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool LoadEntries(const standin::Options& options, std::vector<player_model::Entry>* entries) {
  switch (options.source) {
    case standin::Source::kDemo:
      *entries = standin::DemoSample();
      return true;
    case standin::Source::kHostile:
      *entries = standin::HostileSample();
      return true;
    case standin::Source::kSynthetic:
      *entries = standin::SyntheticEntries(options.synthetic_count);
      return true;
    case standin::Source::kFile:
      break;
  }
  // A UTF-8 copy beside the file (".m3u8") holds the full names, as a current
  // player keeps them; the ANSI code page keeps what it can of them.
  if (std::optional<std::string> utf8 = standin::ReadWholeFile(options.playlist_file + "8")) {
    if (utf8->compare(0, 3, player_model::kByteOrderMark) == 0) utf8->erase(0, 3);
    *entries = player_model::ParseM3u(*utf8);
    for (player_model::Entry& entry : *entries) {
      entry.utf8_title = entry.title;
      entry.utf8_path = entry.path;
      entry.title = standin::Utf8ToAnsi(entry.utf8_title);
      entry.path = standin::Utf8ToAnsi(entry.utf8_path);
    }
    return true;
  }
  const std::optional<std::string> text = standin::ReadWholeFile(options.playlist_file);
  if (!text) return false;
  *entries = player_model::ParseM3u(*text);
  return true;
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "standin_player: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const std::optional<standin::Options> options = standin::ParseOptions(argc, argv, &error);
  if (!options) {
    std::fputs(standin::UsageText(), stderr);
    return Fail(2, error);
  }
  if (options->show_help) {
    std::fputs(standin::UsageText(), stdout);
    return 0;
  }
  std::vector<player_model::Entry> entries;
  if (!LoadEntries(*options, &entries)) return Fail(2, "cannot read " + options->playlist_file);
  player_model::PlayerModel player;
  player.playlist = player_model::Playlist{std::move(entries), options->current, options->state};
  player.playback = options->playback;
  player.traits = options->version;
  player.faults = options->faults;
  player.line_end = options->line_end;
  player.program_path = options->program_path.value_or(OwnProgramPath());
  player.app_data = EnvironmentVariable("APPDATA");
  const player_model::LeadBytes lead_bytes = standin::SystemLeadBytes();
  const player_model::PlaylistPlace place = player.Place(lead_bytes);
  if (place.made_by_player && !MakeFolder(place.folder, &error)) return Fail(2, error);
  standin::Host host(lead_bytes, place.folder);

  standin::MessageLog log;
  if (!options->log_file.empty() && !log.Open(options->log_file)) {
    return Fail(2, "cannot open log " + options->log_file);
  }
  if (!standin::WaitUntilNoOtherPlayer(kOtherPlayerWaitMs)) {
    return Fail(3, "another player window is still open");
  }
  standin::PlayerWindow window(&player, &host, &log, options->hang_on, options->quit_on);
  g_window = window.Create();
  if (g_window == nullptr) {
    return Fail(4, "cannot create the window (error " + std::to_string(GetLastError()) + ")");
  }
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);

  standin::Say("Tunaro stand-in player: " + std::to_string(player.playlist.entries.size()) +
               " entries, " + player_model::PlayStateName(player.playlist.state) + " at " +
               player_model::DescribeCurrent(player.playlist));
  standin::Say("  playlist file: " + place.file);
  const std::string utf8_copy = player.Utf8CopyPath(place);
  if (!utf8_copy.empty()) standin::Say("  UTF-8 copy: " + utf8_copy);
  if (place.directory_query != 0) {
    standin::Say("  query " + std::to_string(place.directory_query) + " reports the folder " +
                 place.folder);
  }
  if (!options->ready_file.empty() &&
      !standin::PublishFile(
          options->ready_file,
          std::to_string(reinterpret_cast<ULONG_PTR>(g_window)) + "\n" + place.file + "\n")) {
    return Fail(2, "cannot write " + options->ready_file);
  }
  const int code = standin::RunMessageLoop();
  standin::Say("> closed");
  return code;
}
