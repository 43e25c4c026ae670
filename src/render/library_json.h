// The objects of the music folders' answers, each one line of JSON, written
// as the status answer's are (json_text.h).
#ifndef TUNARO_RENDER_LIBRARY_JSON_H_
#define TUNARO_RENDER_LIBRARY_JSON_H_

#include <string>
#include <vector>

#include "library/library_records.h"

namespace tunaro {

// {"folders": [{"path": "1", "name": "C:\\Users\\me\\Music", "available": true}, ...]}
std::string MusicFoldersObject(const std::vector<MusicFolder>& folders);

// {"path": "1/Artist", "items": [<item>, ...], "from": 0, "total": 2, "next": null}
// where an item is {"name": ..., "path": ..., "kind": "folder"} or, for a
// file, {"name": ..., "path": ..., "kind": "audio" or "playlist", "size": N};
// "next" is where the next page starts, null on the last.
std::string FolderPageObject(const FolderPage& page);

// {"hits": [<item>, ...], "more": false, "stopped": false}
std::string FindObject(const FindResult& result);

}  // namespace tunaro

#endif  // TUNARO_RENDER_LIBRARY_JSON_H_
