// The objects of the status answer, each one line of JSON.
#ifndef TUNARO_RENDER_STATUS_JSON_H_
#define TUNARO_RENDER_STATUS_JSON_H_

#include <string>
#include <string_view>

#include "player/status_records.h"

namespace tunaro {

// {"running": true, "state": ..., "title": ..., "position": ..., "length": ...,
//  "volume": ..., "shuffle": ..., "repeat": ..., "current": ..., "entries": ...,
//  "kbps": ..., "khz": ..., "list": "<16 hex digits>"}
std::string StatusObject(const LiveStatus& status);

// What the answer is when the player is not running.
constexpr char kClosedStatusObject[] = "{\"running\": false}";

// {"error": "<message>"}, for a request the program refuses.
std::string ErrorObject(std::string_view message);

}  // namespace tunaro

#endif  // TUNARO_RENDER_STATUS_JSON_H_
