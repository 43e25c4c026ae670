#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "player/player_messages.h"

namespace standin {
namespace {

using player_model::LineEnd;
using player_model::PlayState;
using player_model::VersionTraits;

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

bool ParseDirectoryQuery(const std::string& text, std::optional<long long>* query) {
  if (text == std::to_string(tunaro::QueryPlaylistDirectory)) {
    *query = tunaro::QueryPlaylistDirectory;
  } else if (text == std::to_string(tunaro::QuerySettingsDirectory)) {
    *query = tunaro::QuerySettingsDirectory;
  } else if (text == "none") {
    *query = 0;
  } else {
    return false;
  }
  return true;
}

// A player of the 5.x versions, installed per user.
void BehaveLikeCurrentPlayer(VersionTraits* version) {
  version->path_query_answer = 0;
  version->playlist_dir_in_app_data = true;
  version->directory_query = tunaro::QueryPlaylistDirectory;
  version->unknown_answer = 1;
  version->write_on_change = true;
  version->utf8_copy = true;
  version->bare_entries_every = 3;
  version->wide_files = true;
}

// Applies one switch that takes no value; false when `name` is not one.
bool ApplyFlag(const std::string& name, Options* options) {
  if (name == "--help") {
    options->show_help = true;
  } else if (name == "--endless-path") {
    options->faults.endless_path = true;
  } else if (name == "--no-playlist-file") {
    options->faults.no_playlist_file = true;
  } else if (name == "--write-on-change") {
    options->version.write_on_change = true;
    options->version.utf8_copy = true;
  } else if (name == "--shuffle") {
    options->playback.shuffle = true;
  } else if (name == "--repeat") {
    options->playback.repeat = true;
  } else if (name == "--like-current") {
    BehaveLikeCurrentPlayer(&options->version);
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
  player_model::Faults& faults = options->faults;
  VersionTraits& version = options->version;
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
    options->program_path = value;
  } else if (name == "--playlist-dir") {
    if (*value == '\0') return false;
    version.playlist_dir = value;
  } else if (name == "--directory-query") {
    return ParseDirectoryQuery(value, &version.directory_query);
  } else if (!is_number) {
    return false;
  } else if (name == "--current") {
    options->current = number;
  } else if (name == "--position") {
    if (number < 0) return false;
    options->playback.position_ms = number;
  } else if (name == "--volume") {
    if (number < 0 || number > 255) return false;
    options->playback.volume = number;
  } else if (name == "--path-end-answer") {
    faults.path_end_answer = number;
  } else if (name == "--hang-on") {
    options->hang_on = number;
  } else if (name == "--quit-on") {
    options->quit_on = number;
  } else if (name == "--file-entries-delta") {
    faults.file_entries_delta = number;
  } else if (name == "--report-count") {
    faults.report_count = number;
  } else if (name == "--state-answer") {
    faults.state_answer = number;
  } else if (name == "--length-answer") {
    faults.length_answer = number;
  } else if (name == "--path-query-answer") {
    version.path_query_answer = number;
  } else if (name == "--unknown-answer") {
    version.unknown_answer = number;
  } else if (name == "--bare-entries") {
    if (number < 0) return false;
    version.bare_entries_every = number;
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
    if (ApplyFlag(name, &options)) continue;
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
  return "usage: standin_player.exe [switches]    (--help: this text)\n"
         "A window of class \"Winamp v1.x\" that answers like a media player.\n"
         "Playlist (default: a built-in demo of 12 songs):\n"
         "  --playlist FILE          load an extended or plain .m3u (from FILE8, the\n"
         "                           UTF-8 .m3u8 beside it, when there is one)\n"
         "  --entries N              N generated entries\n"
         "  --sample demo|hostile    a built-in list; hostile has awkward titles\n"
         "  --current N              initial current entry (default 0)\n"
         "  --state playing|paused|stopped   initial state (default stopped)\n"
         "  --line-ends crlf|lf|cr   line ends of the written playlist file\n"
         "  --position MS            milliseconds into the song (default 0); it stands\n"
         "                           still, only a jump (106) moves it and stop resets it\n"
         "  --volume N               volume 0-255 (default 255)\n"
         "  --shuffle, --repeat      start with shuffle or repeat on\n"
         "For tests:\n"
         "  --log FILE               append '<message> <wParam> <lParam>' per message\n"
         "  --ready FILE             when ready, create FILE holding the window handle and\n"
         "                           the playlist file's path, one a line\n"
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
         "  --length-answer N        answer N to the length query (-1: unknown)\n"
         "Versions of the player (default: an old one that reports its program path and\n"
         "keeps the playlist file beside it, named like the program with m3u):\n"
         "  --path-query-answer N    answer N to every program path query (0: 5.x, 1: a\n"
         "                           version without the query); wins over the path faults\n"
         "  --playlist-dir DIR       keep the playlist file in DIR (not made; must exist),\n"
         "                           reported through query 337 unless --directory-query\n"
         "  --directory-query 337|335|none   the query that reports the playlist file's\n"
         "                           folder (335: a 2.90-5.1 version); without\n"
         "                           --playlist-dir that folder is the program's\n"
         "  --unknown-answer N       answer N to a query it does not know (default 0);\n"
         "                           337 and 335 are unknown unless they report the folder\n"
         "  --write-on-change        WritePlaylist writes only when the list changed since\n"
         "                           the last write (the first always writes), also writes\n"
         "                           a UTF-8 .m3u8 (with a byte order mark) beside the\n"
         "                           .m3u, and answers -1 for an\n"
         "                           empty list\n"
         "  --bare-entries K         entries K, 2K, 3K, ... (from 1) have no #EXTINF line\n"
         "  --like-current           a 5.x player installed per user: --path-query-answer 0\n"
         "                           --directory-query 337 --unknown-answer 1\n"
         "                           --write-on-change --bare-entries 3, taking files in\n"
         "                           UTF-16 (WM_COPYDATA 1100 and 114), with the file in\n"
         "                           --playlist-dir if given, else %APPDATA%\\Winamp (made\n"
         "                           if missing; without APPDATA a Playlists folder beside\n"
         "                           the program). --path-query-answer, --directory-query,\n"
         "                           --unknown-answer and --bare-entries after it override\n"
         "                           its choice\n"
         "Previous and next stop at the ends of the list; they do not wrap.\n"
         "Files handed over in WM_COPYDATA (100 appends an ANSI path; to the playlist\n"
         "editor's window, which query 260 with wParam 1 names, 106 inserts one at an\n"
         "index) are entries it has not read: their file's name is their title. The\n"
         "editor's window deletes (104) and swaps (105) entries; 101 clears the list.\n";
}

}  // namespace standin
