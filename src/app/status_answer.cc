#include "app/status_answer.h"

#include <string>

#include "player/live_status.h"
#include "player/player_link.h"
#include "render/status_json.h"

namespace tunaro {
namespace {

constexpr char kJsonHeader[] = "Content-type: application/json; charset=utf-8\r\n";

}  // namespace

void AnswerStatusRequest(SystemInterface& system, ResponseWriter& out,
                         const StatusRequest& request) {
  if (!request.error.empty()) {
    out.WriteLine("Status: 400 Bad Request");
    out.WriteLine(kJsonHeader);
    out.WriteLine(ErrorObject(request.error));
    return;
  }
  std::string body = kClosedStatusObject;
  const Handle window = FindPlayerWindow(system);
  if (window != 0) {
    if (request.control) {
      SendPlayerQuery(system, window, request.control->code, request.control->argument);
    }
    body = StatusObject(ReadLiveStatus(system, window));
  }
  out.WriteLine(kJsonHeader);
  out.WriteLine(body);
}

void WriteStatusFailure(ResponseWriter& out, const std::string& error_text) {
  ReplaceOutput(out, [&] {
    out.WriteLine("Status: 500 Internal Server Error");
    out.WriteLine(kJsonHeader);
    out.WriteLine(ErrorObject(error_text));
  });
}

}  // namespace tunaro
