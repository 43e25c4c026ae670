#include "app/status_request.h"

#include "base/text_rules.h"
#include "player/live_status.h"
#include "player/player_messages.h"

namespace tunaro {
namespace {

// Plain decimal digits with a value from 0 to `max`; nothing otherwise.
std::optional<std::int32_t> WholeNumber(std::optional<std::string_view> text, std::int32_t max) {
  if (!text || text->empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> OnOff(std::optional<std::string_view> text) {
  if (text == std::string_view("on")) return 1;
  if (text == std::string_view("off")) return 0;
  return std::nullopt;
}

StatusRequest Control(std::optional<std::int32_t> argument, std::int32_t code,
                      std::string_view error) {
  StatusRequest request;
  if (argument) {
    request.control = PlayerControl{code, *argument};
  } else {
    request.error = std::string(error);
  }
  return request;
}

}  // namespace

std::optional<StatusRequest> ReadStatusRequest(std::string_view query_string) {
  const std::string query = ToLowerText(query_string);
  if (query == "status") return StatusRequest{};
  const std::size_t equals = query.find('=');
  const std::string_view name = std::string_view(query).substr(0, equals);
  std::optional<std::string_view> value;
  if (equals != std::string::npos) value = std::string_view(query).substr(equals + 1);

  if (name == "volume") {
    std::optional<std::int32_t> percent = WholeNumber(value, 100);
    if (percent) percent = PlayerVolume(*percent);
    return Control(percent, SetVolume, "volume must be a whole number from 0 to 100");
  }
  if (name == "seek") {
    std::optional<std::int32_t> seconds = WholeNumber(value, kMaxSeekSeconds);
    if (seconds) seconds = *seconds * 1000;
    return Control(seconds, JumpToTime, "seek must be whole seconds from 0 to 2147483");
  }
  if (name == "shuffle") return Control(OnOff(value), SetShuffle, "shuffle must be on or off");
  if (name == "repeat") return Control(OnOff(value), SetRepeat, "repeat must be on or off");
  return std::nullopt;
}

}  // namespace tunaro
