// The music folders as tunaro.conf names them, and how the answers refuse a
// path of a request.
#ifndef TUNARO_APP_MUSIC_LIBRARY_H_
#define TUNARO_APP_MUSIC_LIBRARY_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/json_answer.h"
#include "app/settings.h"
#include "library/library_path.h"
#include "library/library_records.h"
#include "platform/system_interface.h"

namespace tunaro {

// The MUSICDIR folders (bytes of the ANSI code page, made UTF-8 for the
// seam), or the user's Music folder, resolved.
std::vector<MusicFolder> ConfiguredMusicFolders(SystemInterface& system, const Settings& settings);

// 403: the path's rules refuse it before anything is looked up.
Refusal PathRefusal(PathFault fault);

// A request's path read by those rules; nothing when they refuse it, with
// the refusal written to `out`.
std::optional<PathReading> ReadPathOrRefuse(ResponseWriter& out, const std::string& text);

// What the answer says when `path` (as the request named it) did not lead to
// a place: 404 for what is not there, 403 for what may not be reached.
Refusal PlaceRefusal(PlaceOutcome outcome, std::string_view path);

}  // namespace tunaro

#endif  // TUNARO_APP_MUSIC_LIBRARY_H_
