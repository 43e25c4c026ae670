// One request from the header to the page: settings, the player lookup, the
// commands the request asks for, the status, and the layout.
#ifndef TUNARO_APP_HANDLE_REQUEST_H_
#define TUNARO_APP_HANDLE_REQUEST_H_

#include <cstdint>
#include <string_view>

#include "app/settings.h"
#include "cgi/form_pairs.h"
#include "cgi/request_info.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"
#include "player/player_status.h"

namespace tunaro {

void HandleRequest(SystemInterface& system, ResponseWriter& out, const RequestInfo& request,
                   const FormPairs& pairs, Settings& settings, PlayerStatus& status);

// The zero-based playlist index of a list box choice such as "3. Some Title":
// the number before its first "." minus 1. A choice with no "." or no plain
// number there raises RunError 13, one out of range RunError 6.
std::int32_t SelectionIndex(std::string_view selection);

}  // namespace tunaro

#endif  // TUNARO_APP_HANDLE_REQUEST_H_
