// The objects of the status answer, each one line of JSON.
#ifndef TUNARO_RENDER_STATUS_JSON_H_
#define TUNARO_RENDER_STATUS_JSON_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "library/library_records.h"
#include "player/status_records.h"

namespace tunaro {

// {"running": true, "state": ..., "title": ..., "position": ..., "length": ...,
//  "volume": ..., "shuffle": ..., "repeat": ..., "current": ..., "entries": ...,
//  "kbps": ..., "khz": ..., "list": "<16 hex digits>"}
std::string StatusObject(const LiveStatus& status);

// What the answer is when the player is not running.
constexpr char kClosedStatusObject[] = "{\"running\": false}";

// The status object of an add, with "added", "appended", "more" and
// "stopped" after "list".
std::string AddedStatusObject(const LiveStatus& status, const PlaylistAddition& addition);

// The status object of a remove or a move, with "entry" after "list": where
// the entry stood before, from 1.
std::string EditedStatusObject(const LiveStatus& status, std::int32_t entry);

// {"error": "<message>"}, for a request the program refuses.
std::string ErrorObject(std::string_view message);

// {"error": "<message>", "added": N}: an add the player stopped taking.
std::string AddFailureObject(std::string_view message, std::int32_t added);

}  // namespace tunaro

#endif  // TUNARO_RENDER_STATUS_JSON_H_
