// The stand-in player's command line.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_

#include <optional>
#include <string>

#include "testing/player_model/player_model.h"

namespace standin {

enum class Source { kDemo, kHostile, kSynthetic, kFile };

struct Options {
  bool show_help = false;  // --help: print the usage text and end
  Source source = Source::kDemo;
  std::string playlist_file;        // for kFile
  std::size_t synthetic_count = 0;  // for kSynthetic
  long long current = 0;
  player_model::PlayState state = player_model::PlayState::kStopped;
  player_model::Playback playback;
  player_model::LineEnd line_end = player_model::LineEnd::kCrLf;
  std::string log_file;    // empty: no message log
  std::string ready_file;  // empty: no ready signal
  player_model::Faults faults;
  player_model::VersionTraits version;
  // Faults of the program around the player: the program path it reports
  // instead of its own, and the query it never answers or dies on.
  std::optional<std::string> program_path;
  std::optional<long long> hang_on;
  std::optional<long long> quit_on;
};

// Parses argv[1..]. On a bad command line returns nothing and puts the reason
// in `error`.
std::optional<Options> ParseOptions(int argc, char** argv, std::string* error);

// Text for --help and for a bad command line.
const char* UsageText();

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_OPTIONS_H_
