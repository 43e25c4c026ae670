#include "app/music_library.h"

#include <string>

#include "library/music_folders.h"

namespace tunaro {

std::vector<MusicFolder> ConfiguredMusicFolders(SystemInterface& system, const Settings& settings) {
  std::vector<std::string> configured;
  configured.reserve(settings.MusicDirs.size());
  for (const std::string& folder : settings.MusicDirs) {
    configured.push_back(system.AnsiToUtf8(folder));
  }
  return ResolveMusicFolders(system, configured);
}

Refusal PathRefusal(PathFault fault) { return {kForbidden, std::string(PathFaultText(fault))}; }

std::optional<PathReading> ReadPathOrRefuse(ResponseWriter& out, const std::string& text) {
  PathReading reading = ReadLibraryPath(text);
  if (reading.fault == PathFault::kNone) return reading;
  WriteRefusal(out, PathRefusal(reading.fault));
  return std::nullopt;
}

Refusal PlaceRefusal(PlaceOutcome outcome, std::string_view path) {
  const std::string named(path);
  const std::string folder = named.substr(0, named.find('/'));
  switch (outcome) {
    case PlaceOutcome::kNoSuchMusicFolder:
      return {kNotFound, "there is no music folder " + folder};
    case PlaceOutcome::kMusicFolderUnavailable:
      return {kNotFound, "the music folder " + folder + " is missing or cannot be opened"};
    case PlaceOutcome::kNotFound:
      return {kNotFound, named + " is not there"};
    case PlaceOutcome::kNotAFolder:
      return {kNotFound, named + " is not a folder"};
    case PlaceOutcome::kDenied:
      return {kForbidden, named + " may not be opened"};
    case PlaceOutcome::kOutside:
      return {kForbidden, named + " leads out of the music folders"};
    case PlaceOutcome::kFound:
    case PlaceOutcome::kFailed:
      break;
  }
  return {kServerError, named + " cannot be read"};
}

}  // namespace tunaro
