#include "render/library_json.h"

#include "base/text_rules.h"
#include "render/json_text.h"

namespace tunaro {
namespace {

const char* Boolean(bool value) { return value ? "true" : "false"; }

const char* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::kFolder:
      return "folder";
    case ItemKind::kAudio:
      return "audio";
    case ItemKind::kPlaylist:
      return "playlist";
  }
  return "folder";
}

std::string Count(std::uint64_t value) {
  // Sizes stay far below what a signed 64-bit number holds.
  return DecimalText(static_cast<std::int64_t>(value));
}

void AppendItems(std::string& text, const std::vector<LibraryItem>& items) {
  text += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    const LibraryItem& item = items[i];
    if (i > 0) text += ", ";
    text.append("{\"name\": ").append(JsonString(item.name));
    text.append(", \"path\": ").append(JsonString(item.path));
    text.append(", \"kind\": \"").append(KindName(item.kind)).append("\"");
    if (item.kind != ItemKind::kFolder) text.append(", \"size\": ").append(Count(item.size));
    text += '}';
  }
  text += ']';
}

}  // namespace

std::string MusicFoldersObject(const std::vector<MusicFolder>& folders) {
  std::string text = "{\"folders\": [";
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (i > 0) text += ", ";
    text.append("{\"path\": ").append(JsonString(std::to_string(i + 1)));
    text.append(", \"name\": ").append(JsonString(folders[i].configured));
    text.append(", \"available\": ").append(Boolean(folders[i].access == FileAccess::kDone));
    text += '}';
  }
  return text + "]}";
}

std::string FolderPageObject(const FolderPage& page) {
  std::string text = "{\"path\": " + JsonString(page.path) + ", \"items\": ";
  AppendItems(text, page.items);
  text.append(", \"from\": ").append(Count(page.from));
  text.append(", \"total\": ").append(Count(page.total));
  text.append(", \"next\": ").append(page.next ? Count(*page.next) : "null");
  return text + "}";
}

std::string FindObject(const FindResult& result) {
  std::string text = "{\"hits\": ";
  AppendItems(text, result.hits);
  text.append(", \"more\": ").append(Boolean(result.more));
  text.append(", \"stopped\": ").append(Boolean(result.stopped));
  return text + "}";
}

}  // namespace tunaro
