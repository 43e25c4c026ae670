#include "app/handle_request.h"

#include "app/load_settings.h"
#include "app/status_answer.h"
#include "app/status_request.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "render/compact_panel.h"
#include "render/full_page.h"

namespace tunaro {

std::int32_t SelectionIndex(std::string_view selection) {
  const std::size_t dot = selection.find('.');
  if (dot == std::string_view::npos) throw RunError(error_number::kTypeMismatch);
  // The list boxes write the position as plain digits; blanks around them and
  // a sign are tolerated, anything else is not a number.
  std::string_view text = TrimBlanks(selection.substr(0, dot));
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text = TrimBlanks(text.substr(1));
  }
  if (text.empty()) throw RunError(error_number::kTypeMismatch);
  std::int64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw RunError(error_number::kTypeMismatch);
    number = number * 10 + (c - '0');
    if (number > (std::int64_t{1} << 32)) number = (std::int64_t{1} << 32) + 1;  // still too big
  }
  const std::int64_t index = (negative ? -number : number) - 1;
  if (index < INT32_MIN || index > INT32_MAX) throw RunError(error_number::kOverflow);
  return static_cast<std::int32_t>(index);
}

void HandleRequest(SystemInterface& system, ResponseWriter& out, const RequestInfo& request,
                   const FormPairs& pairs, Settings& settings, PlayerStatus& status) {
  if (const std::optional<StatusRequest> status_request = ReadStatusRequest(request.QueryString)) {
    AnswerStatusRequest(system, out, *status_request);
    return;
  }
  out.WriteLine("Content-type: text/html\r\n");
  LoadSettings(system, out, settings);

  status.PlayerWindow = system.FindPlayerWindow();
  if (status.PlayerWindow == 0) {
    if (settings.SSIMode) {
      RenderClosedPanel(out);
    } else {
      RenderClosedPage(system, out, settings);
    }
    return;
  }

  const std::string command = ToLowerText(request.QueryString);
  const std::string selection = FormValue(pairs, "MP3List");
  if (!selection.empty()) {
    const std::int32_t index = SelectionIndex(selection);
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
    RenderCompactPanel(system, out, settings, status);
  } else {
    RenderFullPage(system, out, settings, status);
  }
}

}  // namespace tunaro
