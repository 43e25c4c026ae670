#include "player.h"

#include <utility>

#include "console.h"
#include "file_io.h"
#include "protocol.h"
#include "samples.h"

namespace standin {
namespace {

// The playlist file's name: the program path with its last three characters
// replaced, which turns "...\player.exe" into "...\player.m3u".
std::string PlaylistFileFor(const std::string& program_path) {
  const std::size_t keep = program_path.size() >= 3 ? program_path.size() - 3 : 0;
  return program_path.substr(0, keep) + "m3u";
}

constexpr long long kSampleRateKhz = 44;
constexpr long long kChannels = 2;
constexpr long long kBitRates[] = {128, 192, 320};

}  // namespace

Player::Player(Playlist playlist, Faults faults, LineEnd line_end, std::string program_path)
    : playlist_(std::move(playlist)),
      faults_(std::move(faults)),
      line_end_(line_end),
      program_path_(std::move(program_path)),
      playlist_file_(PlaylistFileFor(program_path_)) {}

long long Player::Answer(long long code, unsigned long long argument) {
  switch (code) {
    case kQueryPlayState:
      return faults_.state_answer.value_or(static_cast<long long>(playlist_.state()));
    case kQueryLength:
      return Length(argument);
    case kQueryPathChar:
      return PathChar(argument);
    case kWritePlaylist:
      return WritePlaylist();
    case kSetCurrentEntry:
      SelectEntry(argument);
      return 0;
    case kQueryEntryCount:
      return faults_.report_count.value_or(static_cast<long long>(playlist_.size()));
    case kQueryStreamInfo:
      return StreamInfo(argument);
    default:
      return 0;
  }
}

void Player::Command(unsigned long long id) {
  switch (id) {
    case kCommandPrevious:
      playlist_.Previous();
      Say("> previous " + DescribeCurrent(playlist_));
      return;
    case kCommandNext:
      playlist_.Next();
      Say("> next " + DescribeCurrent(playlist_));
      return;
    case kCommandPlay:
      playlist_.Play();
      break;
    case kCommandPause:
      playlist_.TogglePause();
      break;
    case kCommandStop:
      playlist_.Stop();
      break;
    default:
      Say("> ignored command " + std::to_string(id));
      return;
  }
  Say(std::string("> ") + PlayStateName(playlist_.state()) + " " + DescribeCurrent(playlist_));
}

long long Player::PathChar(unsigned long long position) const {
  if (faults_.endless_path) return 'a';
  if (position >= program_path_.size()) return faults_.path_end_answer;
  return static_cast<unsigned char>(program_path_[static_cast<std::size_t>(position)]);
}

long long Player::Length(unsigned long long which) const {
  if (which != 1) return 0;  // playback position in milliseconds: not tracked
  if (faults_.length_answer) return *faults_.length_answer;
  const Entry* entry = playlist_.Current();
  return entry == nullptr ? -1 : entry->seconds;
}

long long Player::StreamInfo(unsigned long long which) const {
  if (playlist_.Current() == nullptr) return 0;
  switch (which) {
    case 0:
      return kSampleRateKhz;
    case 1:
      return kBitRates[playlist_.current_index() % 3];
    case 2:
      return kChannels;
    default:
      return 0;
  }
}

long long Player::WritePlaylist() {
  if (!faults_.no_playlist_file) {
    const std::vector<Entry>& entries = playlist_.entries();
    const long long wanted = static_cast<long long>(entries.size()) + faults_.file_entries_delta;
    M3uWriter writer(line_end_);
    for (long long i = 0; i < wanted; ++i) {
      const std::size_t index = static_cast<std::size_t>(i);
      writer.Add(index < entries.size() ? entries[index] : ExtraFileEntry(index + 1));
    }
    if (!WriteWholeFile(playlist_file_, writer.text())) {
      Say("! could not write " + playlist_file_);
    }
  }
  return playlist_.current_index();
}

void Player::SelectEntry(unsigned long long index) {
  if (index > static_cast<unsigned long long>(playlist_.size())) return;
  if (playlist_.Select(static_cast<long long>(index))) {
    Say("> selected " + DescribeCurrent(playlist_));
  }
}

}  // namespace standin
