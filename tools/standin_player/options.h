// The stand-in player's command line.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_

#include <optional>
#include <string>

#include "faults.h"
#include "m3u.h"
#include "playback.h"
#include "playlist.h"
#include "version_traits.h"

namespace standin {

enum class Source { kDemo, kHostile, kSynthetic, kFile };

struct Options {
  bool show_help = false;  // --help: print the usage text and end
  Source source = Source::kDemo;
  std::string playlist_file;        // for kFile
  std::size_t synthetic_count = 0;  // for kSynthetic
  long long current = 0;
  PlayState state = PlayState::kStopped;
  Playback playback;
  LineEnd line_end = LineEnd::kCrLf;
  std::string log_file;    // empty: no message log
  std::string ready_file;  // empty: no ready signal
  Faults faults;
  VersionTraits version;
};

// Parses argv[1..]. On a bad command line returns nothing and puts the reason
// in `error`.
std::optional<Options> ParseOptions(int argc, char** argv, std::string* error);

// Text for --help and for a bad command line.
const char* UsageText();

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_
