// Playlist text as the player writes and reads it: extended M3U, and the
// UTF-8 copy of a current player. Bytes pass through untouched: titles and
// paths stay the bytes they arrived as. The one maker of playlist text for
// the tests.
#ifndef TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_TEXT_H_
#define TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_TEXT_H_

#include <string>
#include <vector>

#include "testing/player_model/playlist.h"

namespace player_model {

enum class LineEnd { kCrLf, kLf, kCr };

const char* LineEndBytes(LineEnd line_end);

struct TextLayout {
  LineEnd line_end = LineEnd::kCrLf;
  // Every this-many-th entry (counted from 1) is written as its file line
  // alone, as a player writes entries it has not read; 0: none.
  long long bare_every = 0;
};

// What a UTF-8 playlist file begins with.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The header line, then each entry's information line ("#EXTINF:" seconds,
// comma, title) and its file line.
std::string PlaylistText(const std::vector<Entry>& entries, const TextLayout& layout = {});

// The UTF-8 copy of that text: the byte order mark, then each entry with its
// UTF-8 title and path where it has them.
std::string Utf8PlaylistText(const std::vector<Entry>& entries, const TextLayout& layout = {});

// Parses extended or plain M3U with any mix of CR LF, LF and CR line ends.
// A plain entry (no #EXTINF before it) is EntryForFile of its line.
std::vector<Entry> ParseM3u(const std::string& text);

// An entry the player has not read: its file's name without extension as
// title, and an unknown length.
Entry EntryForFile(const std::string& path);

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_PLAYLIST_TEXT_H_
