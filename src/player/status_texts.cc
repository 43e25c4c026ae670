#include "player/status_texts.h"

#include "base/text_rules.h"
#include "player/player_messages.h"

namespace tunaro {

std::string StateTextFor(std::int16_t play_state) {
  switch (play_state) {
    case StateStopped:
      return "Stopped";
    case StatePlaying:
      return "Playing";
    case StatePaused:
      return "Paused";
    default:
      return {};
  }
}

std::string StateNameFor(std::int16_t play_state) {
  const std::string text = StateTextFor(play_state);
  return text.empty() ? "stopped" : ToLowerText(text);
}

std::string LengthTextFor(std::int32_t seconds) {
  if (seconds < 0) return {};
  const std::int32_t rest = seconds % 60;
  std::string text = DecimalText(seconds / 60) + ":";
  if (rest < 10) text += '0';
  return text + DecimalText(rest);
}

}  // namespace tunaro
