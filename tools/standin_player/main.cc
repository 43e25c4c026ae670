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
#include "m3u.h"
#include "message_log.h"
#include "options.h"
#include "player.h"
#include "player_window.h"
#include "playlist_place.h"
#include "samples.h"
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

bool LoadEntries(const standin::Options& options, std::vector<standin::Entry>* entries) {
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
    if (utf8->compare(0, 3, standin::kByteOrderMark) == 0) utf8->erase(0, 3);
    *entries = standin::ParseM3u(*utf8);
    for (standin::Entry& entry : *entries) {
      entry.utf8_title = entry.title;
      entry.utf8_path = entry.path;
      entry.title = standin::Utf8ToAnsi(entry.utf8_title);
      entry.path = standin::Utf8ToAnsi(entry.utf8_path);
    }
    return true;
  }
  const std::optional<std::string> text = standin::ReadWholeFile(options.playlist_file);
  if (!text) return false;
  *entries = standin::ParseM3u(*text);
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
  std::vector<standin::Entry> entries;
  if (!LoadEntries(*options, &entries)) return Fail(2, "cannot read " + options->playlist_file);
  const std::string program_path = options->faults.program_path.value_or(OwnProgramPath());
  std::optional<standin::PlaylistPlace> place =
      standin::FindPlaylistPlace(options->version, program_path, &error);
  if (!place) return Fail(2, error);

  standin::Player player(standin::Playlist(std::move(entries), options->current, options->state),
                         options->playback, options->faults, options->version, options->line_end,
                         program_path, std::move(*place));
  standin::MessageLog log;
  if (!options->log_file.empty() && !log.Open(options->log_file)) {
    return Fail(2, "cannot open log " + options->log_file);
  }
  if (!standin::WaitUntilNoOtherPlayer(kOtherPlayerWaitMs)) {
    return Fail(3, "another player window is still open");
  }
  standin::PlayerWindow window(&player, &log, options->faults);
  g_window = window.Create();
  if (g_window == nullptr) {
    return Fail(4, "cannot create the window (error " + std::to_string(GetLastError()) + ")");
  }
  SetConsoleCtrlHandler(&OnConsoleControl, TRUE);

  standin::Say("Tunaro stand-in player: " + std::to_string(player.playlist().size()) +
               " entries, " + standin::PlayStateName(player.playlist().state()) + " at " +
               standin::DescribeCurrent(player.playlist()));
  standin::Say("  playlist file: " + player.playlist_file());
  if (!player.utf8_playlist_file().empty()) {
    standin::Say("  UTF-8 copy: " + player.utf8_playlist_file());
  }
  if (player.place().directory_query != 0) {
    standin::Say("  query " + std::to_string(player.place().directory_query) +
                 " reports the folder " + player.place().reported_folder);
  }
  if (!options->ready_file.empty() &&
      !standin::PublishFile(options->ready_file,
                            std::to_string(reinterpret_cast<ULONG_PTR>(g_window)) + "\n" +
                                player.playlist_file() + "\n")) {
    return Fail(2, "cannot write " + options->ready_file);
  }
  const int code = standin::RunMessageLoop();
  standin::Say("> closed");
  return code;
}
