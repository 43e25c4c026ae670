#include "console.h"

#include <cstdio>

namespace standin {

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string FormatLength(int seconds) {
  if (seconds < 0) return std::string();
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  }
  return text;
}

std::string DescribeCurrent(const Playlist& playlist) {
  const Entry* entry = playlist.Current();
  const std::string number = std::to_string(playlist.current_index() + 1) + ". ";
  if (entry == nullptr) return number + "(no such entry)";
  const std::string length = FormatLength(entry->seconds);
  return number + entry->title + (length.empty() ? "" : " (" + length + ")");
}

}  // namespace standin
