#include "app/cover_answer.h"

#include <string>

#include "app/json_answer.h"
#include "app/load_settings.h"
#include "app/music_library.h"
#include "base/text_rules.h"
#include "library/cover_choice.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/player_status.h"

namespace tunaro {
namespace {

constexpr char kCacheControl[] = "Cache-Control: private, max-age=3600";

// A path the player names a local file by: "C:\..." or "\\...". A stream's
// address, or a path relative to a playlist, has no cover here.
bool IsWholePath(std::string_view path) {
  const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return drive || path.substr(0, 2) == "\\\\";
}

// The UTF-8 path of the entry's file; nothing when the player has no such
// entry or it is no local file, with the refusal in `refusal`.
std::optional<std::string> EntryFile(SystemInterface& system, Handle window, const Request& request,
                                     Refusal& refusal) {
  PlayerStatus status;
  status.PlayerWindow = window;
  const std::optional<PlaylistText> playlist = ReadFreshPlaylist(system, status);
  const std::int32_t index = request.entry > 0 ? request.entry - 1 : status.CurrentEntry;
  std::optional<PlaylistEntry> entry;
  if (playlist) entry = FindPlaylistEntry(playlist->text, index);
  if (!entry) {
    refusal = {kNotFound, request.entry > 0 ? "there is no entry " + DecimalText(request.entry)
                                            : std::string("there is no current entry")};
    return std::nullopt;
  }
  std::string path = playlist->utf8_copy ? entry->file_line : system.AnsiToUtf8(entry->file_line);
  if (!IsWholePath(path)) {
    refusal = {kNotFound, "the entry is no file on this computer"};
    return std::nullopt;
  }
  return path;
}

}  // namespace

bool MatchesEtag(std::string_view if_none_match, std::string_view etag) {
  std::size_t start = 0;
  while (start <= if_none_match.size()) {
    const std::size_t comma = std::min(if_none_match.find(',', start), if_none_match.size());
    std::string_view tag = TrimBlanks(if_none_match.substr(start, comma - start));
    if (tag == "*") return true;
    if (tag.substr(0, 2) == "W/") tag.remove_prefix(2);
    if (tag == etag) return true;
    start = comma + 1;
  }
  return false;
}

void AnswerCoverRequest(SystemInterface& system, ResponseWriter& out, const Request& request) {
  if (!request.error.empty()) {
    WriteRefusal(out, {kBadRequest, request.error});
    return;
  }
  const Handle window = FindPlayerWindow(system);
  if (window == 0) {
    WriteRefusal(out, {kNotFound, "the player is not running"});
    return;
  }
  Refusal refusal;
  const std::optional<std::string> file = EntryFile(system, window, request, refusal);
  if (!file) {
    WriteRefusal(out, refusal);
    return;
  }
  Settings settings;
  ReadSettingsFile(system, settings);
  const CoverChoice cover = ChooseCover(system, ConfiguredMusicFolders(system, settings), *file);
  switch (cover.outcome) {
    case CoverOutcome::kFound:
      break;
    case CoverOutcome::kNone:
      WriteRefusal(out, {kNotFound, "the entry has no cover"});
      return;
    case CoverOutcome::kNotFound:
      WriteRefusal(out, {kNotFound, "the entry's file is not there"});
      return;
    case CoverOutcome::kOutside:
      WriteRefusal(out, {kForbidden, "the entry's file lies outside the music folders"});
      return;
  }
  const std::string etag = "ETag: " + cover.image.etag;
  if (MatchesEtag(request.if_none_match, cover.image.etag)) {
    out.WriteLine("Status: 304 Not Modified");
    out.WriteLine(etag);
    out.WriteLine(std::string(kCacheControl) + "\r\n");
    return;
  }
  out.WriteLine("Content-type: " + std::string(cover.image.media_type));
  out.WriteLine(etag);
  out.WriteLine(std::string(kCacheControl) + "\r\n");
  out.Write(cover.image.bytes);
}

}  // namespace tunaro
