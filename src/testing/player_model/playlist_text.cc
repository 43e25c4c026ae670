#include "testing/player_model/playlist_text.h"

#include <cstdlib>

namespace player_model {
namespace {

constexpr char kExtInf[] = "#EXTINF:";
constexpr std::size_t kExtInfSize = sizeof(kExtInf) - 1;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

const std::string& Pick(const std::string& utf8, const std::string& plain, bool in_utf8) {
  return in_utf8 && !utf8.empty() ? utf8 : plain;
}

std::string Text(const std::vector<Entry>& entries, const TextLayout& layout, bool in_utf8) {
  const std::string eol = LineEndBytes(layout.line_end);
  std::string text = in_utf8 ? kByteOrderMark : "";
  text += "#EXTM3U" + eol;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    const bool bare =
        layout.bare_every > 0 && (static_cast<long long>(i) + 1) % layout.bare_every == 0;
    if (!bare) {
      text += kExtInf;
      text += std::to_string(entry.seconds);
      text += ',';
      text += Pick(entry.utf8_title, entry.title, in_utf8);
      text += eol;
    }
    text += Pick(entry.utf8_path, entry.path, in_utf8);
    text += eol;
  }
  return text;
}

}  // namespace

const char* LineEndBytes(LineEnd line_end) {
  switch (line_end) {
    case LineEnd::kLf:
      return "\n";
    case LineEnd::kCr:
      return "\r";
    case LineEnd::kCrLf:
      break;
  }
  return "\r\n";
}

std::string PlaylistText(const std::vector<Entry>& entries, const TextLayout& layout) {
  return Text(entries, layout, false);
}

std::string Utf8PlaylistText(const std::vector<Entry>& entries, const TextLayout& layout) {
  return Text(entries, layout, true);
}

std::vector<Entry> ParseM3u(const std::string& text) {
  std::vector<Entry> entries;
  bool have_info = false;
  Entry pending;
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) continue;
    if (line.compare(0, kExtInfSize, kExtInf) == 0) {
      const std::size_t comma = line.find(',', kExtInfSize);
      pending.seconds = std::atoi(line.c_str() + kExtInfSize);
      pending.title = comma == std::string::npos ? std::string() : line.substr(comma + 1);
      have_info = true;
      continue;
    }
    if (line[0] == '#') continue;
    Entry entry = EntryForFile(line);
    if (have_info) {
      entry.title = pending.title;
      entry.seconds = pending.seconds;
    }
    entries.push_back(std::move(entry));
    have_info = false;
  }
  return entries;
}

Entry EntryForFile(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return Entry{name, path, -1};
}

}  // namespace player_model
