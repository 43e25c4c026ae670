// A place in the music folders as a request names it: the music folder's
// number (from 1) and the names under it, with forward slashes
// ("2/Artist/Album/01 Song.mp3"; "2" alone is the music folder itself).
//
// The rules refuse, before anything touches the file system, every form that
// could lead out of the music folder or name the same file twice: ".."
// names, drive letters, UNC and "\\?\" forms (no backslash at all), ':'
// (streams), a name ending in a dot or a blank (Windows drops them), control
// characters, wildcards, device names (CON, NUL, COM1, ...), empty names,
// names over 255 characters, and bytes that are not UTF-8.
#ifndef TUNARO_LIBRARY_LIBRARY_PATH_H_
#define TUNARO_LIBRARY_LIBRARY_PATH_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro {

struct LibraryPath {
  std::size_t folder = 0;          // the music folder, counted from 0
  std::vector<std::string> names;  // under it, outermost first; none: the music folder
};

enum class PathFault {
  kNone,
  kNoFolderNumber,      // no music folder's number before the first slash
  kPathTooLong,         // over 32,767 bytes
  kControlCharacter,    // below U+0020, or U+007F
  kBackslash,           // UNC, "\\?\" and every other path with backslashes
  kColon,               // a drive letter or a stream
  kReservedCharacter,   // * ? " < > |
  kNotUtf8,             //
  kEmptyName,           // "a//b", or a slash at either end
  kDotDot,              // ".."
  kTrailingDotOrBlank,  // "a.", "a ", "."
  kDeviceName,          // CON, PRN, AUX, NUL, COM0-9, LPT0-9, with or without an extension
  kNameTooLong,         // over 255 UTF-16 units
};

struct PathReading {
  PathFault fault = PathFault::kNone;
  LibraryPath path;  // when there is no fault
};

PathReading ReadLibraryPath(std::string_view text);

// Whether one name (of a listing, a find) passes the same rules: one that
// does not cannot be asked for, so it is not shown.
PathFault CheckName(std::string_view name);

// Why a path was refused, for the answer's error.
std::string_view PathFaultText(PathFault fault);

// The path as a request names it again.
std::string LibraryPathText(const LibraryPath& path);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_LIBRARY_PATH_H_
