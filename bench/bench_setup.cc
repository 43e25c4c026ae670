#include "bench_setup.h"

#include "testing/player_model/playlist_text.h"

namespace tunaro_bench {
namespace {

std::vector<player_model::Entry> Entries(std::int32_t count) {
  std::vector<player_model::Entry> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string artist = "Artist " + std::to_string(i % 97);
    const std::string song = "Song number " + std::to_string(i) + (i % 10 == 0 ? " & Friends" : "");
    entries.push_back(player_model::Entry{
        artist + " - " + song, "C:\\Music\\" + artist + "\\" + song + ".mp3", 120 + i % 300});
  }
  return entries;
}

}  // namespace

std::string MakePlaylist(std::int32_t entries) {
  return player_model::PlaylistText(Entries(entries));
}

void SetUpPlayer(tunaro::FakeSystem& system, std::int32_t entries) {
  system.SetConfiguration("IMGDIR /img/\r\nWWWPATH /cgi-bin/tunaro/\r\nBGCOLOR #C0C0C0\r\n");
  system.environment["SCRIPT_NAME"] = "/cgi-bin/tunaro/tunaro";
  system.environment["REQUEST_METHOD"] = "GET";
  system.output_is_file = false;  // a CGI pipe
  system.SetFile(system.player.program_path, "MZ");
  system.player.playlist.entries = Entries(entries);
  system.player.playlist.current = entries - 1;
  system.player.playlist.state = player_model::PlayState::kPlaying;
  system.player.faults.no_playlist_file = true;
  system.SetFile(system.PlaylistPath(), system.player.PlaylistText());
}

void ForgetRecords(tunaro::FakeSystem& system) {
  system.player.log.clear();
  system.events.clear();
  system.output.clear();
  system.output_position = 0;
}

void PlaylistSizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
}

}  // namespace tunaro_bench
