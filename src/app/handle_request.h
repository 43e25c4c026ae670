// One request from the header to the answer: settings, the player lookup, the
// commands the request asks for, the status, and the layout; or the status
// answer.
#ifndef TUNARO_APP_HANDLE_REQUEST_H_
#define TUNARO_APP_HANDLE_REQUEST_H_

#include "app/settings.h"
#include "cgi/read_request.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

void HandleRequest(SystemInterface& system, ResponseWriter& out, const Request& request,
                   Settings& settings, PlayerStatus& status);

}  // namespace tunaro

#endif  // TUNARO_APP_HANDLE_REQUEST_H_
