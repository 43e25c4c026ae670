#include "app/playlist_add.h"

#include <algorithm>

#include "app/file_records.h"
#include "base/run_error.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/playlist_file_lock.h"

namespace tunaro {

HandedFiles HandFilesToPlayer(SystemInterface& system, Handle window,
                              const std::vector<std::string>& files, bool at_next) {
  const auto count = [&] {
    return std::max(SendPlayerQuery(system, window, QueryEntryCount, 0), 0);
  };
  HandedFiles handed;
  FileRecords records(system);
  PlaylistFileLock lock(system);
  const std::int32_t before = count();
  std::int32_t index = 0;  // where the next insert goes
  Handle editor = 0;
  if (at_next) {
    const std::int32_t current = SendPlayerQuery(system, window, WritePlaylist, 0);
    index = std::clamp(current, -1, before - 1) + 1;
    editor = FindEditorWindow(system, window);
  }
  bool wide_seen = false;
  std::int32_t sent = 0;
  for (const std::string& file : files) {
    std::optional<FileRecord> record;
    if (editor != 0) record = records.Insert(file, index);
    const bool inserted = record.has_value();
    if (!inserted) record = records.Append(file);
    SendFileRecord(system, inserted ? editor : window, record->kind, record->bytes);
    ++sent;
    if (inserted) ++index;
    if (at_next && !inserted) ++handed.addition.appended;
    if (record->wide && !wide_seen) {
      wide_seen = true;
      if (count() < before + sent) {
        handed.refused = file;
        if (!inserted && at_next) --handed.addition.appended;
        break;
      }
    }
  }
  handed.addition.added = std::max(count() - before, 0);
  SendPlayerQuery(system, window, WritePlaylist, 0);
  return handed;
}

}  // namespace tunaro
