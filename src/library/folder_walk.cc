#include "library/folder_walk.h"

#include <set>

#include "library/confinement.h"
#include "library/text_fold.h"

namespace tunaro {
namespace {

class Walk {
 public:
  Walk(SystemInterface& system, const std::vector<std::string>& music_folders,
       std::uint64_t deadline,
       const std::function<bool(const FolderItem&, const std::string&)>& visit)
      : system_(system), music_folders_(music_folders), deadline_(deadline), visit_(visit) {}

  WalkEnd Folder(const std::string& final_path, const std::string& request_path) {
    if (system_.MonotonicMilliseconds() >= deadline_) return WalkEnd::kTimeUp;
    std::vector<FolderItem> items;
    if (ReadFolderItems(system_, final_path, music_folders_, items) != FileAccess::kDone) {
      return WalkEnd::kFinished;
    }
    around_.push_back(final_path);
    WalkEnd end = WalkEnd::kFinished;
    for (const FolderItem& item : items) {
      const std::string path = request_path + "/" + item.name;
      if (!visit_(item, path)) {
        end = WalkEnd::kStopped;
        break;
      }
      if (item.kind != ItemKind::kFolder || around_.size() > kDeepestWalk || !Enter(item)) continue;
      end = Folder(item.final_path, path);
      if (end != WalkEnd::kFinished) break;
    }
    around_.pop_back();
    return end;
  }

 private:
  // A link is entered once, and never when it leads back to where the walk
  // is (which would never end) or into the folder the walk began with (which
  // it reads anyway).
  bool Enter(const FolderItem& item) {
    if (!item.link) return true;
    if (IsInsideFolder(item.final_path, around_.front())) return false;
    for (const std::string& folder : around_) {
      if (IsInsideFolder(folder, item.final_path)) return false;
    }
    return entered_links_.insert(UpperKey(item.final_path)).second;
  }

  SystemInterface& system_;
  const std::vector<std::string>& music_folders_;
  const std::uint64_t deadline_;
  const std::function<bool(const FolderItem&, const std::string&)>& visit_;
  std::vector<std::string> around_;  // the folders being walked, outermost first
  std::set<std::string> entered_links_;
};

}  // namespace

WalkEnd WalkFolder(SystemInterface& system, const std::vector<std::string>& music_folders,
                   const std::string& final_path, const std::string& request_path,
                   std::uint64_t deadline,
                   const std::function<bool(const FolderItem&, const std::string&)>& visit) {
  return Walk(system, music_folders, deadline, visit).Folder(final_path, request_path);
}

}  // namespace tunaro
