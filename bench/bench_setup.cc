#include "bench_setup.h"

namespace tunaro_bench {

std::string MakePlaylist(std::int32_t entries) {
  std::string text = "#EXTM3U\r\n";
  for (std::int32_t i = 0; i < entries; ++i) {
    const std::string artist = "Artist " + std::to_string(i % 97);
    const std::string song = "Song number " + std::to_string(i) + (i % 10 == 0 ? " & Friends" : "");
    text += "#EXTINF:" + std::to_string(120 + i % 300) + "," + artist + " - " + song + "\r\n";
    text += "C:\\Music\\" + artist + "\\" + song + ".mp3\r\n";
  }
  return text;
}

void SetUpPlayer(tunaro::FakeSystem& system, std::int32_t entries) {
  system.SetConfiguration("IMGDIR /img/\r\nWWWPATH /cgi-bin/tunaro/\r\nBGCOLOR #C0C0C0\r\n");
  system.environment["SCRIPT_NAME"] = "/cgi-bin/tunaro/tunaro";
  system.environment["REQUEST_METHOD"] = "GET";
  system.output_is_file = false;  // a CGI pipe
  system.SetFile(system.player.program_path, "MZ");
  system.player.play_state = 1;
  system.player.writes_playlist = false;
  system.player.reported_count = entries;
  system.player.current = entries - 1;
  system.SetFile(system.PlaylistPath(), MakePlaylist(entries));
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
