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

std::string AddedStatusObject(const LiveStatus& status, const PlaylistAddition& addition) {
  std::string text = StatusObject(status);
  text.pop_back();
  text.append(", \"added\": ").append(DecimalText(addition.added));
  text.append(", \"appended\": ").append(DecimalText(addition.appended));
  text.append(", \"more\": ").append(Boolean(addition.more));
  text.append(", \"stopped\": ").append(Boolean(addition.stopped));
  return text + "}";
}

std::string EditedStatusObject(const LiveStatus& status, std::int32_t entry) {
  std::string text = StatusObject(status);
  text.pop_back();
  return text.append(", \"entry\": ").append(DecimalText(entry)) + "}";
}

std::string ErrorObject(std::string_view message) {
  return "{\"error\": " + JsonString(message) + "}";
}

std::string AddFailureObject(std::string_view message, std::int32_t added) {
  return "{\"error\": " + JsonString(message) + ", \"added\": " + DecimalText(added) + "}";
}

}  // namespace tunaro
