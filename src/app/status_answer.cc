#include "app/status_answer.h"

#include <string>

#include "app/json_answer.h"
#include "player/live_status.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "render/status_json.h"

namespace tunaro {
namespace {

// Sends the query that carries out the request's control, if it has one.
void SendControl(SystemInterface& system, Handle window, const Request& request) {
  switch (request.control) {
    case Control::kVolume:
      SendPlayerQuery(system, window, SetVolume, PlayerVolume(request.value));
      break;
    case Control::kSeek:
      SendPlayerQuery(system, window, JumpToTime, request.value * 1000);
      break;
    case Control::kShuffle:
      SendPlayerQuery(system, window, SetShuffle, request.value);
      break;
    case Control::kRepeat:
      SendPlayerQuery(system, window, SetRepeat, request.value);
      break;
    case Control::kNone:
      break;
  }
}

}  // namespace

void AnswerStatusRequest(SystemInterface& system, ResponseWriter& out, const Request& request) {
  if (!request.error.empty()) {
    WriteRefusal(out, {kBadRequest, request.error});
    return;
  }
  std::string body = kClosedStatusObject;
  const Handle window = FindPlayerWindow(system);
  if (window != 0) {
    SendControl(system, window, request);
    body = StatusObject(ReadLiveStatus(system, window));
  }
  WriteJsonAnswer(out, "", body);
}

void WriteStatusFailure(ResponseWriter& out, const std::string& error_text) {
  ReplaceOutput(out, [&] { WriteRefusal(out, {kServerError, error_text}); });
}

}  // namespace tunaro
