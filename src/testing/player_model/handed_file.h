// The file a program hands the player in WM_COPYDATA, as the player reads
// the record: a path to append, or a path and the index to insert it at.
#ifndef TUNARO_TESTING_PLAYER_MODEL_HANDED_FILE_H_
#define TUNARO_TESTING_PLAYER_MODEL_HANDED_FILE_H_

#include <optional>
#include <string>

namespace player_model {

struct HandedFile {
  // ANSI bytes as they came; UTF-8 for a UTF-16 record (`wide`).
  std::string path;
  bool wide = false;
  bool insert = false;  // an insert record: `index` says where
  long long index = 0;
};

// The record of `kind` (dwData) as the main window (`to_editor` false) or
// the playlist editor's window reads it; nothing for a kind that window does
// not know, or a record of the wrong size. A path ends at its first NUL, or
// with the record; a UTF-16 one's unpaired surrogates become U+FFFD.
std::optional<HandedFile> ReadHandedFile(unsigned long long kind, const std::string& bytes,
                                         bool to_editor);

}  // namespace player_model

#endif  // TUNARO_TESTING_PLAYER_MODEL_HANDED_FILE_H_
