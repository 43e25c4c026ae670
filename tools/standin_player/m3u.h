// Reading and writing M3U playlist text. Bytes pass through untouched: titles
// and paths are stored as the ANSI bytes they arrived as.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_M3U_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_M3U_H_

#include <string>
#include <vector>

#include "playlist.h"

namespace standin {

enum class LineEnd { kCrLf, kLf, kCr };

const char* LineEndBytes(LineEnd line_end);

// Parses extended or plain M3U with any mix of CR LF, LF and CR line ends.
// A plain entry (no #EXTINF before it) gets its file name without extension
// as title and an unknown length.
std::vector<Entry> ParseM3u(const std::string& text);

// Builds extended M3U text: the header line, then two lines per entry, or
// one for a bare entry.
class M3uWriter {
 public:
  explicit M3uWriter(LineEnd line_end);
  void Add(const Entry& entry);
  // The file line alone, as a player writes an entry whose details it has
  // not read yet.
  void AddBare(const Entry& entry);
  const std::string& text() const { return text_; }

 private:
  const char* eol_;
  std::string text_;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_M3U_H_
