// The query strings that ask for the status answer rather than a page:
// "status", and the controls "volume=N", "seek=S", "shuffle=on|off" and
// "repeat=on|off", letter case ignored like the command words.
#ifndef TUNARO_APP_STATUS_REQUEST_H_
#define TUNARO_APP_STATUS_REQUEST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunaro {

// A query that changes something, sent and waited for before the status is
// read, so the answer shows its effect.
struct PlayerControl {
  std::int32_t code = 0;
  std::int32_t argument = 0;
};

struct StatusRequest {
  std::optional<PlayerControl> control;
  // Not empty: the control's value is missing or bad, and this says which
  // parameter and what it takes. Nothing is sent then.
  std::string error;
};

// The longest jump that fits the player's argument in milliseconds.
constexpr std::int32_t kMaxSeekSeconds = 2147483;

// What `query_string` asks for; nothing when it asks for a page. A query
// whose name part (up to its first "=") is a control's asks for the status
// answer whatever its value, so a bad value is refused, never taken for a
// page view.
std::optional<StatusRequest> ReadStatusRequest(std::string_view query_string);

}  // namespace tunaro

#endif  // TUNARO_APP_STATUS_REQUEST_H_
