#include "testing/player_model/playlist.h"

#include <cstdio>
#include <utility>

namespace player_model {

std::vector<Entry> EntriesTitled(const std::vector<std::string>& titles, int seconds) {
  std::vector<Entry> entries;
  entries.reserve(titles.size());
  for (std::size_t i = 0; i < titles.size(); ++i) {
    entries.push_back(
        Entry{titles[i], "C:\\Music\\track" + std::to_string(i + 1) + ".mp3", seconds});
  }
  return entries;
}

const char* PlayStateName(PlayState state) {
  switch (state) {
    case PlayState::kPlaying:
      return "playing";
    case PlayState::kPaused:
      return "paused";
    case PlayState::kStopped:
      break;
  }
  return "stopped";
}

const Entry* Playlist::Current() const {
  if (current < 0 || current >= static_cast<long long>(entries.size())) return nullptr;
  return &entries[static_cast<std::size_t>(current)];
}

bool Playlist::Select(long long index) {
  if (index < 0 || index >= static_cast<long long>(entries.size())) return false;
  current = index;
  return true;
}

void Playlist::Previous() {
  if (entries.empty()) return;
  const long long last = static_cast<long long>(entries.size()) - 1;
  current = current > last ? last : (current > 0 ? current - 1 : 0);
}

void Playlist::Next() {
  if (entries.empty()) return;
  const long long last = static_cast<long long>(entries.size()) - 1;
  current = current < 0 ? 0 : (current < last ? current + 1 : last);
}

void Playlist::Play() {
  if (!entries.empty()) state = PlayState::kPlaying;
}

void Playlist::TogglePause() {
  if (state == PlayState::kPlaying) {
    state = PlayState::kPaused;
  } else if (state == PlayState::kPaused) {
    state = PlayState::kPlaying;
  }
}

void Playlist::Stop() { state = PlayState::kStopped; }

void Playlist::Append(Entry entry) { Insert(static_cast<long long>(entries.size()), entry); }

void Playlist::Insert(long long index, Entry entry) {
  const long long size = static_cast<long long>(entries.size());
  index = index < 0 ? 0 : index > size ? size : index;
  entries.insert(entries.begin() + index, std::move(entry));
  if (size > 0 && index <= current) ++current;
  ++revision;
}

bool Playlist::Delete(long long index) {
  if (index < 0 || index >= static_cast<long long>(entries.size())) return false;
  entries.erase(entries.begin() + index);
  const long long size = static_cast<long long>(entries.size());
  if (index < current) --current;
  if (current >= size) current = size > 0 ? size - 1 : 0;
  ++revision;
  return true;
}

bool Playlist::Swap(long long from, long long to) {
  const long long size = static_cast<long long>(entries.size());
  if (from < 0 || from >= size || to < 0 || to >= size) return false;
  std::swap(entries[static_cast<std::size_t>(from)], entries[static_cast<std::size_t>(to)]);
  if (current == from) {
    current = to;
  } else if (current == to) {
    current = from;
  }
  ++revision;
  return true;
}

void Playlist::Clear() {
  entries.clear();
  current = 0;
  state = PlayState::kStopped;
  ++revision;
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
  const std::string number = std::to_string(playlist.current + 1) + ". ";
  if (entry == nullptr) return number + "(no such entry)";
  const std::string length = FormatLength(entry->seconds);
  return number + entry->title + (length.empty() ? "" : " (" + length + ")");
}

}  // namespace player_model
