#include "m3u.h"

#include <cstdlib>

namespace standin {
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

std::string TitleFromPath(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
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
    Entry entry;
    entry.path = line;
    if (have_info) {
      entry.title = pending.title;
      entry.seconds = pending.seconds;
    } else {
      entry.title = TitleFromPath(line);
    }
    entries.push_back(std::move(entry));
    have_info = false;
  }
  return entries;
}

M3uWriter::M3uWriter(LineEnd line_end) : eol_(LineEndBytes(line_end)) {
  text_ = "#EXTM3U";
  text_ += eol_;
}

void M3uWriter::Add(const Entry& entry) {
  text_ += kExtInf;
  text_ += std::to_string(entry.seconds);
  text_ += ',';
  text_ += entry.title;
  text_ += eol_;
  AddBare(entry);
}

void M3uWriter::AddBare(const Entry& entry) {
  text_ += entry.path;
  text_ += eol_;
}

}  // namespace standin
