#include "app/handle_request.h"

#include "app/entry_choice.h"
#include "app/load_settings.h"
#include "app/site_page.h"
#include "app/status_answer.h"
#include "app/status_request.h"
#include "base/text_rules.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "render/compact_panel.h"
#include "render/full_page.h"

namespace tunaro {

void HandleRequest(SystemInterface& system, ResponseWriter& out, const RequestInfo& request,
                   const FormPairs& pairs, Settings& settings, PlayerStatus& status) {
  if (const std::optional<StatusRequest> status_request = ReadStatusRequest(request.QueryString)) {
    AnswerStatusRequest(system, out, *status_request);
    return;
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

  const std::string command = ToLowerText(request.QueryString);
  const std::string selection = FormValue(pairs, "MP3List");
  if (!selection.empty()) {
    const std::int32_t index = ChooseEntry(system, settings.SSIWidth, status, selection);
    // Sent and waited for, so the entry is current before play is queued.
    SendPlayerQuery(system, status.PlayerWindow, SetCurrentEntry, index);
    PostPlayerCommand(system, status.PlayerWindow, CommandPlay);
  } else if (command == "play") {
    PostPlayerCommand(system, status.PlayerWindow, CommandPlay);
  }
  if (command == "stop") {
    PostPlayerCommand(system, status.PlayerWindow, CommandStop);
  } else if (command == "previous") {
    PostPlayerCommand(system, status.PlayerWindow, CommandPrevious);
    PostPlayerCommand(system, status.PlayerWindow, CommandPlay);
  } else if (command == "forward") {
    PostPlayerCommand(system, status.PlayerWindow, CommandNext);
    PostPlayerCommand(system, status.PlayerWindow, CommandPlay);
  } else if (command == "pause") {
    PostPlayerCommand(system, status.PlayerWindow, CommandPause);
  }

  RefreshPlayerStatus(system, settings.SSIWidth, status);
  // Posted commands may not have been acted on yet; these start playback.
  if (command == "play" || command == "previous" || command == "forward" || command == "track") {
    status.StateText = "Playing";
  }

  if (settings.SSIMode) {
    RenderCompactPanel(out, PageInputFor(system, settings), status);
  } else {
    RenderFullPage(out, PageInputFor(system, settings), status);
  }
}

}  // namespace tunaro
