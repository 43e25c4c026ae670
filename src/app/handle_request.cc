#include "app/handle_request.h"

#include "app/cover_answer.h"
#include "app/edit_answer.h"
#include "app/entry_choice.h"
#include "app/library_answer.h"
#include "app/load_settings.h"
#include "app/site_page.h"
#include "app/status_answer.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "render/compact_panel.h"
#include "render/full_page.h"

namespace tunaro {
namespace {

// The choice first, sent and waited for, so the entry is current before play
// is queued; then the command.
void SendCommands(SystemInterface& system, std::int16_t ssi_width, const Request& request,
                  PlayerStatus& status) {
  const Handle window = status.PlayerWindow;
  if (request.choice) {
    const std::int32_t index = ChooseEntry(system, ssi_width, status, *request.choice);
    SendPlayerQuery(system, window, SetCurrentEntry, index);
    PostPlayerCommand(system, window, CommandPlay);
  } else if (request.command == Command::kPlay) {
    PostPlayerCommand(system, window, CommandPlay);
  }
  switch (request.command) {
    case Command::kStop:
      PostPlayerCommand(system, window, CommandStop);
      break;
    case Command::kPrevious:
      PostPlayerCommand(system, window, CommandPrevious);
      PostPlayerCommand(system, window, CommandPlay);
      break;
    case Command::kForward:
      PostPlayerCommand(system, window, CommandNext);
      PostPlayerCommand(system, window, CommandPlay);
      break;
    case Command::kPause:
      PostPlayerCommand(system, window, CommandPause);
      break;
    case Command::kNone:
    case Command::kPlay:
    case Command::kTrack:
      break;
  }
}

// Posted commands may not have been acted on yet; these start playback.
bool StartsPlayback(Command command) {
  return command == Command::kPlay || command == Command::kPrevious ||
         command == Command::kForward || command == Command::kTrack;
}

}  // namespace

void HandleRequest(SystemInterface& system, ResponseWriter& out, const Request& request,
                   Settings& settings, PlayerStatus& status) {
  switch (request.answer) {
    case Answer::kStatus:
      if (request.edit != Edit::kNone) {
        AnswerEditRequest(system, out, request);
      } else {
        AnswerStatusRequest(system, out, request);
      }
      return;
    case Answer::kLibrary:
      AnswerLibraryRequest(system, out, request);
      return;
    case Answer::kCover:
      AnswerCoverRequest(system, out, request);
      return;
    case Answer::kPage:
      break;
  }
  out.WriteLine("Content-type: text/html\r\n");
  LoadSettings(system, out, settings);

  status.PlayerWindow = FindPlayerWindow(system);
  if (status.PlayerWindow == 0) {
    if (settings.SSIMode) {
      RenderClosedPanel(out);
    } else {
      RenderClosedPage(out, PageInputFor(system, settings));
    }
    return;
  }

  SendCommands(system, settings.SSIWidth, request, status);
  RefreshPlayerStatus(system, settings.SSIWidth, status);
  if (StartsPlayback(request.command)) status.StateText = "Playing";

  if (settings.SSIMode) {
    RenderCompactPanel(out, PageInputFor(system, settings), status);
  } else {
    RenderFullPage(out, PageInputFor(system, settings), status);
  }
}

}  // namespace tunaro
