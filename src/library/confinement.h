// Whether a path lies inside a music folder, both in their final form
// (links and junctions followed, as FinalPath gives them).
#ifndef TUNARO_LIBRARY_CONFINEMENT_H_
#define TUNARO_LIBRARY_CONFINEMENT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro {

// The path without the "\\?\" (or "\\.\") that the system's final paths
// carry: "\\?\C:\a" is "C:\a", "\\?\UNC\server\share\a" is "\\server\share\a".
std::string WithoutVerbatimPrefix(std::string_view path);

// Whether `path` is `folder` or lies under it: both with their prefix taken
// off the same way, compared name by name (so "C:\Music2" is not inside
// "C:\Music"), letter case counting for nothing as on Windows. A "." or ".."
// name in either is never inside.
bool IsInsideFolder(std::string_view path, std::string_view folder);

// The first of the folders that holds the path; nothing when none does.
std::optional<std::size_t> FolderHolding(std::string_view path,
                                         const std::vector<std::string>& folders);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_CONFINEMENT_H_
