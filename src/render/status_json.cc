#include "render/status_json.h"

#include "base/content_hash.h"
#include "base/text_rules.h"
#include "render/json_text.h"

namespace tunaro {
namespace {

const char* Boolean(bool value) { return value ? "true" : "false"; }

}  // namespace

std::string StatusObject(const LiveStatus& status) {
  std::string text = "{\"running\": true, \"state\": ";
  text.append(JsonString(status.state));
  text.append(", \"title\": ").append(JsonString(status.title));
  text.append(", \"position\": ").append(DecimalText(status.position_seconds));
  text.append(", \"length\": ").append(DecimalText(status.length_seconds));
  text.append(", \"volume\": ").append(DecimalText(status.volume_percent));
  text.append(", \"shuffle\": ").append(Boolean(status.shuffle));
  text.append(", \"repeat\": ").append(Boolean(status.repeat));
  text.append(", \"current\": ").append(DecimalText(status.current));
  text.append(", \"entries\": ").append(DecimalText(status.entries));
  text.append(", \"kbps\": ").append(DecimalText(status.kbps));
  text.append(", \"khz\": ").append(DecimalText(status.khz));
  text.append(", \"list\": ").append(JsonString(HashText(status.list_hash)));
  return text + "}";
}

std::string ErrorObject(std::string_view message) {
  return "{\"error\": " + JsonString(message) + "}";
}

}  // namespace tunaro
