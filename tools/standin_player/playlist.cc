#include "playlist.h"

#include <utility>

namespace standin {

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

Playlist::Playlist(std::vector<Entry> entries, long long current, PlayState state)
    : entries_(std::move(entries)), current_(current), state_(state) {}

const Entry* Playlist::Current() const {
  if (current_ < 0 || current_ >= static_cast<long long>(entries_.size())) return nullptr;
  return &entries_[static_cast<std::size_t>(current_)];
}

bool Playlist::Select(long long index) {
  if (index < 0 || index >= static_cast<long long>(entries_.size())) return false;
  current_ = index;
  return true;
}

void Playlist::Previous() {
  if (entries_.empty()) return;
  const long long last = static_cast<long long>(entries_.size()) - 1;
  current_ = current_ > last ? last : (current_ > 0 ? current_ - 1 : 0);
}

void Playlist::Next() {
  if (entries_.empty()) return;
  const long long last = static_cast<long long>(entries_.size()) - 1;
  current_ = current_ < 0 ? 0 : (current_ < last ? current_ + 1 : last);
}

void Playlist::Play() {
  if (!entries_.empty()) state_ = PlayState::kPlaying;
}

void Playlist::TogglePause() {
  if (state_ == PlayState::kPlaying) {
    state_ = PlayState::kPaused;
  } else if (state_ == PlayState::kPaused) {
    state_ = PlayState::kPlaying;
  }
}

void Playlist::Stop() { state_ = PlayState::kStopped; }

}  // namespace standin
