#include "app/edit_answer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/entry_choice.h"
#include "app/json_answer.h"
#include "app/load_settings.h"
#include "app/music_library.h"
#include "app/playlist_add.h"
#include "app/site_page.h"
#include "base/characters.h"
#include "base/text_rules.h"
#include "library/file_kinds.h"
#include "library/folder_add.h"
#include "library/music_folders.h"
#include "player/live_status.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/player_status.h"
#include "player/playlist_file_lock.h"
#include "render/page_text.h"
#include "render/status_json.h"

namespace tunaro {
namespace {

// The audio files an add hands over, or its refusal.
struct AddSource {
  std::vector<std::string> files;
  PlaylistAddition limits;  // "more" and "stopped"
  std::optional<Refusal> refusal;
};

AddSource FilesToAdd(SystemInterface& system, const Settings& settings, const Request& request,
                     const LibraryPath& path) {
  AddSource source;
  const std::vector<MusicFolder> folders = ConfiguredMusicFolders(system, settings);
  const Place place = ResolvePlace(system, folders, path);
  if (place.outcome != PlaceOutcome::kFound) {
    source.refusal = PlaceRefusal(place.outcome, request.text);
  } else if (place.folder) {
    FolderAudio audio = CollectFolderAudio(system, folders, place.final_path);
    source.files = std::move(audio.files);
    source.limits.more = audio.more;
    source.limits.stopped = audio.stopped;
  } else if (FileKindOf(place.final_path) == FileKind::kOther) {
    source.refusal =
        Refusal{kBadRequest, request.text + " is neither an audio file nor a playlist"};
  } else {
    source.files.push_back(place.final_path);
  }
  return source;
}

bool IsUtf8(std::string_view text) {
  const CharacterRule utf8 = CharacterRule::Utf8();
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = utf8.Length(text, pos);
    if (length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) return false;
    pos += length;
  }
  return true;
}

// The entry a remove or move acts on (from 0): the one showing the request's
// title nearest to its number, else its number; or the refusal.
std::optional<std::int32_t> EntryToEdit(SystemInterface& system, const Settings& settings,
                                        Handle window, const Request& request, std::int32_t count,
                                        Refusal& refusal) {
  PlayerStatus status;
  status.PlayerWindow = window;
  const std::optional<PlaylistText> playlist = ReadFreshPlaylistLocked(system, status);
  std::int32_t index = request.entry - 1;
  if (request.title) {
    // The title in the form the titles are compared in: as a browser sends
    // an option of the page back.
    std::string sent;
    PageText(AnsiCharacterOf(system)).AppendSentTitle(sent, *request.title, true);
    const std::optional<std::int32_t> showing =
        playlist ? EntryShowing(system, *playlist, settings.SSIWidth, sent, index) : std::nullopt;
    if (!showing) {
      refusal = {kNotFound, "no entry shows the title \"" + *request.title + "\""};
      return std::nullopt;
    }
    index = *showing;
  }
  if (index >= count) {
    refusal = {kNotFound, "there is no entry " + DecimalText(index + std::int64_t{1})};
    return std::nullopt;
  }
  if (request.edit == Edit::kMove) {
    if (request.to > count) {
      refusal = {kBadRequest, "to must be an entry number from 1 to " + DecimalText(count)};
      return std::nullopt;
    }
    if (std::max(index, request.to - 1) > EditorSwapLastIndex) {
      refusal = {kBadRequest, "the player moves no entry past entry " +
                                  DecimalText(EditorSwapLastIndex + std::int64_t{1})};
      return std::nullopt;
    }
  }
  return index;
}

// Removes or moves entry `index`. A move is a run of swaps of neighbours,
// one message a place: a move by k places needs k swaps at the least, since
// each swap puts one entry of the k + 1 it turns round in its place (the
// last two at once).
void EditEntry(SystemInterface& system, Handle editor, const Request& request, std::int32_t index) {
  if (request.edit == Edit::kRemove) {
    SendEditorMessage(system, editor, EditorDelete, index);
    return;
  }
  const std::int32_t target = request.to - 1;
  const std::int32_t step = target > index ? 1 : -1;
  for (std::int32_t at = index; at != target; at += step) {
    SendEditorMessage(system, editor, EditorSwap, (std::int64_t{at} << 16) | (at + step));
  }
}

void AnswerAdd(SystemInterface& system, ResponseWriter& out, const Settings& settings,
               Handle window, const Request& request, const LibraryPath& path) {
  const AddSource source = FilesToAdd(system, settings, request, path);
  if (source.refusal) {
    WriteRefusal(out, *source.refusal);
    return;
  }
  HandedFiles handed = HandFilesToPlayer(system, window, source.files, request.at_next);
  if (handed.refused) {
    WriteJsonAnswer(out, kServerError,
                    AddFailureObject("The player did not take " + *handed.refused +
                                         ": it takes no names its code page cannot spell.",
                                     handed.addition.added));
    return;
  }
  handed.addition.more = source.limits.more;
  handed.addition.stopped = source.limits.stopped;
  WriteJsonAnswer(out, "", AddedStatusObject(ReadLiveStatus(system, window), handed.addition));
}

void AnswerEntryEdit(SystemInterface& system, ResponseWriter& out, const Settings& settings,
                     Handle window, const Request& request) {
  std::optional<std::int32_t> index;
  {
    PlaylistFileLock lock(system);
    const std::int32_t count = std::max(SendPlayerQuery(system, window, QueryEntryCount, 0), 0);
    Refusal refusal;
    index = EntryToEdit(system, settings, window, request, count, refusal);
    if (!index) {
      WriteRefusal(out, refusal);
      return;
    }
    const Handle editor = FindEditorWindow(system, window);
    if (editor == 0) {
      WriteRefusal(out, {kServerError, "The player names no playlist editor window."});
      return;
    }
    EditEntry(system, editor, request, *index);
    SendPlayerQuery(system, window, WritePlaylist, 0);
  }
  WriteJsonAnswer(out, "", EditedStatusObject(ReadLiveStatus(system, window), *index + 1));
}

}  // namespace

void AnswerEditRequest(SystemInterface& system, ResponseWriter& out, const Request& request) {
  if (request.error.empty() && request.title && !IsUtf8(*request.title)) {
    WriteRefusal(out, {kBadRequest, "title must be UTF-8"});
    return;
  }
  if (!request.error.empty()) {
    WriteRefusal(out, {kBadRequest, request.error});
    return;
  }
  PathReading reading;
  if (request.edit == Edit::kAdd) {
    std::optional<PathReading> read = ReadPathOrRefuse(out, request.text);
    if (!read) return;
    reading = std::move(*read);
  }
  Settings settings;
  ReadSettingsFile(system, settings);
  const Handle window = FindPlayerWindow(system);
  if (window == 0) {
    WriteJsonAnswer(out, "", kClosedStatusObject);
    return;
  }
  switch (request.edit) {
    case Edit::kAdd:
      AnswerAdd(system, out, settings, window, request, reading.path);
      return;
    case Edit::kRemove:
    case Edit::kMove:
      AnswerEntryEdit(system, out, settings, window, request);
      return;
    case Edit::kClear: {
      {
        PlaylistFileLock lock(system);
        SendPlayerQuery(system, window, ClearPlaylist, 0);
        SendPlayerQuery(system, window, WritePlaylist, 0);
      }
      WriteJsonAnswer(out, "", StatusObject(ReadLiveStatus(system, window)));
      return;
    }
    case Edit::kNone:
      break;
  }
}

}  // namespace tunaro
