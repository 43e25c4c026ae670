// The music folders' part of FakeSystem: a tree of folders and files in
// memory, with links and junctions, entries hidden or refused, files known
// only by their size, a clock, and a record of what was listed and read.
//
// Paths are Windows paths with backslashes ("C:\Music\a.mp3"); letter case
// counts for nothing in them (ASCII letters only, which the tests use), and a
// "\\?\" in front is taken off, as the system does.
#ifndef TUNARO_TESTING_FAKE_FOLDERS_H_
#define TUNARO_TESTING_FAKE_FOLDERS_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_interface.h"

namespace tunaro {

struct FakeNode {
  std::string path;  // as it was added: the letter case the system reports
  bool folder = false;
  std::string content;
  // A size that the content does not have (a file of 1 GB): reads give zeros.
  std::optional<std::uint64_t> size;
  std::string link_target;  // not empty: a link or junction to this path
  bool hidden = false;
  bool denied = false;                // listing, opening and reading it are refused
  std::vector<std::string> children;  // a folder's entries, in the order they were added
};

class FakeFolders {
 public:
  // Each adds the folders above it that are missing.
  FakeNode& AddFolder(const std::string& path);
  FakeNode& AddFile(const std::string& path, std::string content = {});
  // A link (folder: a junction or a folder's symbolic link) to `target`,
  // which need not exist.
  FakeNode& AddLink(const std::string& path, const std::string& target, bool folder = true);
  // The entry itself, links not followed; nullptr when there is none.
  FakeNode* Find(const std::string& path);

  std::string music_folder = "C:\\Users\\me\\Music";
  std::uint64_t milliseconds = 0;
  // How far the clock moves on with every folder listed.
  std::uint64_t milliseconds_per_listing = 0;
  std::vector<std::string> listed;  // every folder listed, as asked
  // Every read: the path as asked, the offset and the size.
  struct Read {
    std::string path;
    std::uint64_t offset;
    std::size_t size;
  };
  std::vector<Read> reads;

  FileAccess ListFolder(const std::string& path,
                        const std::function<bool(const FolderEntry&)>& visit);
  FinalPathFacts FinalPath(const std::string& path);
  std::optional<std::string> ReadFilePart(const std::string& path, std::uint64_t offset,
                                          std::size_t size);

 private:
  struct Resolved {
    FileAccess access = FileAccess::kNotFound;
    FakeNode* node = nullptr;  // set when access is kDone
  };
  // Follows the links along the path and at its end.
  Resolved Resolve(const std::string& path, int hops = 0);
  FakeNode& Add(const std::string& path);

  std::map<std::string, FakeNode> nodes_;  // by the upper-case path
};

}  // namespace tunaro

#endif  // TUNARO_TESTING_FAKE_FOLDERS_H_
