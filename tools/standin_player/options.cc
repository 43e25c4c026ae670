#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace standin {
namespace {

bool ParseInteger(const char* text, long long* value) {
  if (*text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 10);
  return errno == 0 && *end == '\0';
}

bool ParseState(const std::string& text, PlayState* state) {
  if (text == "playing") {
    *state = PlayState::kPlaying;
  } else if (text == "paused") {
    *state = PlayState::kPaused;
  } else if (text == "stopped") {
    *state = PlayState::kStopped;
  } else {
    return false;
  }
  return true;
}

bool ParseLineEnd(const std::string& text, LineEnd* line_end) {
  if (text == "crlf") {
    *line_end = LineEnd::kCrLf;
  } else if (text == "lf") {
    *line_end = LineEnd::kLf;
  } else if (text == "cr") {
    *line_end = LineEnd::kCr;
  } else {
    return false;
  }
  return true;
}

// Applies one switch that takes a value; false when the value is bad or the
// switch unknown.
bool ApplyValue(const std::string& name, const char* value, Options* options) {
  Faults& faults = options->faults;
  long long number = 0;
  const bool is_number = ParseInteger(value, &number);
  if (name == "--playlist") {
    options->source = Source::kFile;
    options->playlist_file = value;
  } else if (name == "--entries") {
    if (!is_number || number < 0) return false;
    options->source = Source::kSynthetic;
    options->synthetic_count = static_cast<std::size_t>(number);
  } else if (name == "--sample") {
    if (std::strcmp(value, "hostile") == 0) {
      options->source = Source::kHostile;
    } else if (std::strcmp(value, "demo") == 0) {
      options->source = Source::kDemo;
    } else {
      return false;
    }
  } else if (name == "--state") {
    return ParseState(value, &options->state);
  } else if (name == "--line-ends") {
    return ParseLineEnd(value, &options->line_end);
  } else if (name == "--log") {
    options->log_file = value;
  } else if (name == "--ready") {
    options->ready_file = value;
  } else if (name == "--program-path") {
    faults.program_path = value;
  } else if (!is_number) {
    return false;
  } else if (name == "--current") {
    options->current = number;
  } else if (name == "--path-end-answer") {
    faults.path_end_answer = number;
  } else if (name == "--hang-on") {
    faults.hang_on = number;
  } else if (name == "--quit-on") {
    faults.quit_on = number;
  } else if (name == "--file-entries-delta") {
    faults.file_entries_delta = number;
  } else if (name == "--report-count") {
    faults.report_count = number;
  } else if (name == "--state-answer") {
    faults.state_answer = number;
  } else if (name == "--length-answer") {
    faults.length_answer = number;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, char** argv, std::string* error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--endless-path") {
      options.faults.endless_path = true;
      continue;
    }
    if (name == "--no-playlist-file") {
      options.faults.no_playlist_file = true;
      continue;
    }
    if (i + 1 >= argc) {
      *error = "missing value after " + name;
      return std::nullopt;
    }
    const char* value = argv[++i];
    if (!ApplyValue(name, value, &options)) {
      *error = "bad switch or value: " + name + " " + value;
      return std::nullopt;
    }
  }
  return options;
}

const char* UsageText() {
  return "usage: standin_player.exe [switches]\n"
         "A window of class \"Winamp v1.x\" that answers like a media player.\n"
         "Playlist (default: a built-in demo of 12 songs):\n"
         "  --playlist FILE          load an extended or plain .m3u\n"
         "  --entries N              N generated entries\n"
         "  --sample demo|hostile    a built-in list; hostile has awkward titles\n"
         "  --current N              initial current entry (default 0)\n"
         "  --state playing|paused|stopped   initial state (default stopped)\n"
         "  --line-ends crlf|lf|cr   line ends of the written playlist file\n"
         "For tests:\n"
         "  --log FILE               append '<message> <wParam> <lParam>' per message\n"
         "  --ready FILE             create FILE (holding the window handle) when ready\n"
         "Faults:\n"
         "  --program-path PATH      report PATH as the program path\n"
         "  --path-end-answer N      answer N instead of 0 past the end of the path\n"
         "  --endless-path           answer 'a' at every path position\n"
         "  --hang-on CODE           never answer query CODE\n"
         "  --quit-on CODE           exit on query CODE without answering\n"
         "  --no-playlist-file       answer WritePlaylist without writing the file\n"
         "  --file-entries-delta N   the file holds N entries more (or fewer)\n"
         "  --report-count N         answer N to the entry count query\n"
         "  --state-answer N         answer N to the play state query\n"
         "  --length-answer N        answer N to the length query\n"
         "Previous and next stop at the ends of the list; they do not wrap.\n";
}

}  // namespace standin
