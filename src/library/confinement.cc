#include "library/confinement.h"

#include "library/text_fold.h"

namespace tunaro {
namespace {

struct PathNames {
  bool unc = false;  // "\\server\share\..."
  bool valid = true;
  std::vector<std::string_view> names;
};

PathNames NamesOf(std::string_view path) {
  PathNames out;
  out.unc = path.size() >= 2 && (path[0] == '\\' || path[0] == '/') &&
            (path[1] == '\\' || path[1] == '/');
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view name = path.substr(start, end - start);
    if (name == "." || name == "..") out.valid = false;
    if (!name.empty()) out.names.push_back(name);
    start = end + 1;
  }
  return out;
}

}  // namespace

std::string WithoutVerbatimPrefix(std::string_view path) {
  for (std::string_view prefix : {"\\\\?\\", "\\\\.\\"}) {
    if (path.substr(0, 4) != prefix) continue;
    path.remove_prefix(4);
    if (path.size() >= 4 && SameIgnoringCase(path.substr(0, 4), "UNC\\")) {
      return "\\\\" + std::string(path.substr(4));
    }
    return std::string(path);
  }
  return std::string(path);
}

bool IsInsideFolder(std::string_view path, std::string_view folder) {
  const std::string plain_path = WithoutVerbatimPrefix(path);
  const std::string plain_folder = WithoutVerbatimPrefix(folder);
  const PathNames inner = NamesOf(plain_path);
  const PathNames outer = NamesOf(plain_folder);
  if (!inner.valid || !outer.valid || inner.unc != outer.unc || outer.names.empty()) return false;
  if (inner.names.size() < outer.names.size()) return false;
  for (std::size_t i = 0; i < outer.names.size(); ++i) {
    if (!SameIgnoringCase(inner.names[i], outer.names[i])) return false;
  }
  return true;
}

std::optional<std::size_t> FolderHolding(std::string_view path,
                                         const std::vector<std::string>& folders) {
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (!folders[i].empty() && IsInsideFolder(path, folders[i])) return i;
  }
  return std::nullopt;
}

}  // namespace tunaro
