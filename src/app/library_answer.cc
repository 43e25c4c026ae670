#include "app/library_answer.h"

#include <optional>
#include <utility>

#include "app/load_settings.h"
#include "app/music_library.h"
#include "library/folder_listing.h"
#include "library/library_find.h"
#include "render/library_json.h"

namespace tunaro {

void AnswerLibraryRequest(SystemInterface& system, ResponseWriter& out, const Request& request) {
  if (!request.error.empty()) {
    WriteRefusal(out, {kBadRequest, request.error});
    return;
  }
  // A path the rules refuse is refused before anything is read.
  PathReading reading;
  if (request.library == LibraryAsk::kFolder) {
    std::optional<PathReading> read = ReadPathOrRefuse(out, request.text);
    if (!read) return;
    reading = std::move(*read);
  }
  Settings settings;
  ReadSettingsFile(system, settings);
  const std::vector<MusicFolder> folders = ConfiguredMusicFolders(system, settings);
  switch (request.library) {
    case LibraryAsk::kMusicFolders:
      WriteJsonAnswer(out, "", MusicFoldersObject(folders));
      return;
    case LibraryAsk::kFind:
      WriteJsonAnswer(out, "", FindObject(FindInLibrary(system, folders, request.text)));
      return;
    case LibraryAsk::kFolder:
      break;
  }
  FolderPage page;
  const PlaceOutcome outcome = ListLibraryFolder(system, folders, reading.path, request.from, page);
  if (outcome != PlaceOutcome::kFound) {
    WriteRefusal(out, PlaceRefusal(outcome, request.text));
    return;
  }
  WriteJsonAnswer(out, "", FolderPageObject(page));
}

}  // namespace tunaro
