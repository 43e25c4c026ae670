#include "player.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

#include "console.h"
#include "file_io.h"
#include "player/player_messages.h"
#include "samples.h"
#include "text_encoding.h"

namespace standin {
namespace {

constexpr long long kSampleRateKhz = 44;
constexpr long long kChannels = 2;
constexpr long long kBitRates[] = {128, 192, 320};
// What a current player answers to WritePlaylist for an empty list.
constexpr long long kEmptyListIndex = -1;

}  // namespace

Player::Player(Playlist playlist, Playback playback, Faults faults, VersionTraits traits,
               LineEnd line_end, std::string program_path, PlaylistPlace place)
    : playlist_(std::move(playlist)),
      playback_(playback),
      faults_(std::move(faults)),
      traits_(std::move(traits)),
      line_end_(line_end),
      program_path_(std::move(program_path)),
      place_(std::move(place)),
      reported_folder_text_(place_.reported_folder) {}

std::string Player::utf8_playlist_file() const {
  return traits_.write_on_change && !place_.file.empty() ? place_.file + "8" : std::string();
}

long long Player::Answer(long long code, unsigned long long argument) {
  switch (code) {
    case tunaro::QueryPlayState:
      return faults_.state_answer.value_or(static_cast<long long>(playlist_.state()));
    case tunaro::QueryLength:
      return Length(argument);
    case tunaro::QueryPathChar:
      return traits_.path_query_answer.value_or(PathChar(argument));
    case tunaro::WritePlaylist:
      return WritePlaylist();
    case tunaro::SetCurrentEntry:
      SelectEntry(argument);
      return 0;
    case tunaro::QueryEntryCount:
      return faults_.report_count.value_or(static_cast<long long>(playlist_.size()));
    case tunaro::QueryStreamInfo:
      return StreamInfo(argument);
    case tunaro::JumpToTime:
      return Jump(static_cast<long long>(argument));
    case tunaro::SetVolume:
      return Volume(static_cast<long long>(argument));
    case tunaro::QueryShuffle:
      return playback_.shuffle ? 1 : 0;
    case tunaro::QueryRepeat:
      return playback_.repeat ? 1 : 0;
    case tunaro::SetShuffle:
      SetOrder("shuffle", &playback_.shuffle, argument);
      return 0;
    case tunaro::SetRepeat:
      SetOrder("repeat", &playback_.repeat, argument);
      return 0;
    default:
      if (place_.directory_query != 0 && code == place_.directory_query) return FolderAnswer();
      return traits_.unknown_answer;
  }
}

void Player::Command(unsigned long long id) {
  switch (id) {
    case tunaro::CommandPrevious:
      playlist_.Previous();
      Say("> previous " + DescribeCurrent(playlist_));
      return;
    case tunaro::CommandNext:
      playlist_.Next();
      Say("> next " + DescribeCurrent(playlist_));
      return;
    case tunaro::CommandPlay:
      playlist_.Play();
      break;
    case tunaro::CommandPause:
      playlist_.TogglePause();
      break;
    case tunaro::CommandStop:
      playlist_.Stop();
      playback_.position_ms = 0;
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
  if (which == 0) return playback_.position_ms;
  if (which != 1) return 0;
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

// As the player's documentation has it: -1 when it is not playing (paused
// counts as playing), 1 for a time past the end of the song, 0 when it jumped.
long long Player::Jump(long long milliseconds) {
  if (playlist_.state() == PlayState::kStopped) return -1;
  const Entry* entry = playlist_.Current();
  const long long length_ms = entry != nullptr && entry->seconds >= 0 ? entry->seconds * 1000LL : 0;
  if (milliseconds < 0 || (entry != nullptr && entry->seconds >= 0 && milliseconds >= length_ms)) {
    Say("> jump to " + std::to_string(milliseconds) + " ms: past the end");
    return 1;
  }
  playback_.position_ms = milliseconds;
  Say("> jumped to " + std::to_string(milliseconds) + " ms");
  return 0;
}

// -666 asks; anything else sets, kept within 0 to 255.
long long Player::Volume(long long argument) {
  if (argument == tunaro::AskVolume) return playback_.volume;
  playback_.volume = argument < 0 ? 0 : argument > 255 ? 255 : argument;
  Say("> volume " + std::to_string(playback_.volume));
  return 0;
}

void Player::SetOrder(const char* name, bool* order, unsigned long long argument) {
  *order = argument != 0;
  Say(std::string("> ") + name + (*order ? " on" : " off"));
}

// The address of the folder's text in this process, which the asker reads
// from outside with ReadProcessMemory.
long long Player::FolderAnswer() const {
  const char* text = reported_folder_text_.get();
  if (text == nullptr) text = place_.reported_folder.c_str();
  return static_cast<long long>(reinterpret_cast<std::intptr_t>(text));
}

long long Player::WritePlaylist() {
  if (!faults_.no_playlist_file && !(traits_.write_on_change && list_written_)) WriteFiles();
  if (traits_.write_on_change && playlist_.size() == 0) return kEmptyListIndex;
  return playlist_.current_index();
}

void Player::WriteFiles() {
  const std::vector<Entry>& entries = playlist_.entries();
  const long long wanted = static_cast<long long>(entries.size()) + faults_.file_entries_delta;
  const long long bare_every = traits_.bare_entries_every;
  const std::string utf8_file = utf8_playlist_file();
  M3uWriter writer(line_end_);
  // The UTF-8 copy entry by entry only where an entry has text the ANSI
  // bytes lost; else the whole ANSI text converts at once.
  const bool any_utf8 =
      !utf8_file.empty() && std::any_of(entries.begin(), entries.end(),
                                        [](const Entry& e) { return !e.utf8_title.empty(); });
  M3uWriter utf8_writer(line_end_);
  for (long long i = 0; i < wanted; ++i) {
    const std::size_t index = static_cast<std::size_t>(i);
    const Entry entry = index < entries.size() ? entries[index] : ExtraFileEntry(index + 1);
    const bool bare = bare_every > 0 && (i + 1) % bare_every == 0;
    M3uWriter* const into[] = {&writer, any_utf8 ? &utf8_writer : nullptr};
    Entry utf8 = entry;
    if (any_utf8) {
      utf8.title =
          entry.utf8_title.empty() ? AnsiToUtf8(entry.title).value_or("") : entry.utf8_title;
      utf8.path = entry.utf8_path.empty() ? AnsiToUtf8(entry.path).value_or("") : entry.utf8_path;
    }
    for (M3uWriter* out : into) {
      if (out == nullptr) continue;
      const Entry& written = out == &writer ? entry : utf8;
      if (bare) {
        out->AddBare(written);
      } else {
        out->Add(written);
      }
    }
  }
  bool written = WriteWholeFile(place_.file, writer.text());
  if (!written) Say("! could not write " + place_.file);
  if (!utf8_file.empty()) {
    const std::optional<std::string> utf8 =
        any_utf8 ? std::optional<std::string>(utf8_writer.text()) : AnsiToUtf8(writer.text());
    if (!utf8 || !WriteWholeFile(utf8_file, kByteOrderMark + *utf8)) {
      Say("! could not write " + utf8_file);
      written = false;
    }
  }
  list_written_ = written;
}

void Player::SelectEntry(unsigned long long index) {
  if (index > static_cast<unsigned long long>(playlist_.size())) return;
  if (playlist_.Select(static_cast<long long>(index))) {
    Say("> selected " + DescribeCurrent(playlist_));
  }
}

}  // namespace standin
