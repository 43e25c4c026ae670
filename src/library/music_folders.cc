#include "library/music_folders.h"

#include "library/confinement.h"

namespace tunaro {
namespace {

PlaceOutcome OutcomeOf(FileAccess access) {
  switch (access) {
    case FileAccess::kDone:
      return PlaceOutcome::kFound;
    case FileAccess::kNotFound:
      return PlaceOutcome::kNotFound;
    case FileAccess::kDenied:
      return PlaceOutcome::kDenied;
    case FileAccess::kFailed:
      break;
  }
  return PlaceOutcome::kFailed;
}

}  // namespace

std::vector<MusicFolder> ResolveMusicFolders(SystemInterface& system,
                                             const std::vector<std::string>& configured) {
  std::vector<std::string> named = configured;
  if (named.empty()) {
    std::string music = system.MusicFolder();
    if (!music.empty()) named.push_back(std::move(music));
  }
  std::vector<MusicFolder> folders;
  for (std::string& name : named) {
    MusicFolder folder;
    const FinalPathFacts facts = system.FinalPath(name);
    folder.configured = std::move(name);
    folder.access = facts.access;
    if (facts.access == FileAccess::kDone && !facts.folder) folder.access = FileAccess::kNotFound;
    if (folder.access == FileAccess::kDone) folder.final_path = WithoutVerbatimPrefix(facts.path);
    folders.push_back(std::move(folder));
  }
  return folders;
}

std::vector<std::string> FinalPathsOf(const std::vector<MusicFolder>& folders) {
  std::vector<std::string> paths;
  paths.reserve(folders.size());
  for (const MusicFolder& folder : folders) paths.push_back(folder.final_path);
  return paths;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path.append(name);
}

Place ResolvePlace(SystemInterface& system, const std::vector<MusicFolder>& folders,
                   const LibraryPath& path) {
  Place place;
  if (path.folder >= folders.size()) {
    place.outcome = PlaceOutcome::kNoSuchMusicFolder;
    return place;
  }
  const MusicFolder& root = folders[path.folder];
  if (root.access != FileAccess::kDone) {
    place.outcome = PlaceOutcome::kMusicFolderUnavailable;
    return place;
  }
  std::string joined = root.final_path;
  for (const std::string& name : path.names) joined = JoinPath(joined, name);
  const FinalPathFacts facts = system.FinalPath(joined);
  place.outcome = OutcomeOf(facts.access);
  if (place.outcome != PlaceOutcome::kFound) return place;
  place.final_path = WithoutVerbatimPrefix(facts.path);
  if (!FolderHolding(place.final_path, FinalPathsOf(folders))) {
    place.outcome = PlaceOutcome::kOutside;
    place.final_path.clear();
    return place;
  }
  place.folder = facts.folder;
  place.size = facts.size;
  return place;
}

}  // namespace tunaro
