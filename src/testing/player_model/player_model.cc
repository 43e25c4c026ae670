#include "testing/player_model/player_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "player/player_messages.h"
#include "testing/player_model/handed_file.h"

namespace player_model {
namespace {

constexpr long long kSampleRateKhz = 44;
constexpr long long kChannels = 2;
constexpr long long kBitRates[] = {128, 192, 320};
// What a current player answers to WritePlaylist for an empty list.
constexpr long long kEmptyListIndex = -1;

// An entry that only the playlist file holds (Faults::file_entries_delta).
Entry ExtraFileEntry(std::size_t number) {
  char title[64];
  std::snprintf(title, sizeof title, "File Only %04lu - Not In The Player",
                static_cast<unsigned long>(number));
  return Entry{title, std::string("C:\\Music\\File Only\\") + title + ".mp3", 100};
}

// The UTF-8 copy of `text`, the file of `entries`: entry by entry only where
// an entry has text its ANSI bytes lost, else the whole text at once.
std::optional<std::string> Utf8Copy(const std::vector<Entry>& entries, const TextLayout& layout,
                                    const std::string& text, PlayerHost& host) {
  if (std::none_of(entries.begin(), entries.end(),
                   [](const Entry& e) { return !e.utf8_title.empty(); })) {
    const std::optional<std::string> utf8 = host.AnsiToUtf8(text);
    if (!utf8) return std::nullopt;
    return kByteOrderMark + *utf8;
  }
  std::vector<Entry> converted = entries;
  for (Entry& entry : converted) {
    if (entry.utf8_title.empty()) entry.utf8_title = host.AnsiToUtf8(entry.title).value_or("");
    if (entry.utf8_path.empty()) entry.utf8_path = host.AnsiToUtf8(entry.path).value_or("");
  }
  return Utf8PlaylistText(converted, layout);
}

}  // namespace

long long PlayerModel::Answer(long long code, unsigned long long argument, PlayerHost& host) {
  switch (code) {
    case tunaro::QueryPlayState:
      return faults.state_answer.value_or(static_cast<long long>(playlist.state));
    case tunaro::QueryLength:
      return Length(argument);
    case tunaro::QueryPathChar:
      return traits.path_query_answer.value_or(PathChar(argument));
    case tunaro::WritePlaylist:
      return WritePlaylist(host);
    case tunaro::SetCurrentEntry:
      SelectEntry(argument, host);
      return 0;
    case tunaro::QueryEntryCount:
      return faults.report_count.value_or(static_cast<long long>(playlist.entries.size()));
    case tunaro::QueryStreamInfo:
      return StreamInfo(argument);
    case tunaro::JumpToTime:
      return Jump(static_cast<long long>(argument), host);
    case tunaro::SetVolume:
      return Volume(static_cast<long long>(argument), host);
    case tunaro::QueryShuffle:
      return playback.shuffle ? 1 : 0;
    case tunaro::QueryRepeat:
      return playback.repeat ? 1 : 0;
    case tunaro::SetShuffle:
      SetOrder("shuffle", &playback.shuffle, argument, host);
      return 0;
    case tunaro::SetRepeat:
      SetOrder("repeat", &playback.repeat, argument, host);
      return 0;
    case tunaro::QueryWindow:
      return argument == tunaro::EditorWindow ? editor_window : traits.unknown_answer;
    case tunaro::ClearPlaylist:
      playlist.Clear();
      host.Say("> cleared the playlist");
      return 0;
    default:
      break;
  }
  const PlaylistPlace place = Place(host.AnsiLeadBytes());
  if (place.directory_query != 0 && code == place.directory_query) {
    return host.AddressOfFolderText(place.folder);
  }
  return traits.unknown_answer;
}

void PlayerModel::Command(unsigned long long id, PlayerHost& host) {
  switch (id) {
    case tunaro::CommandPrevious:
      playlist.Previous();
      host.Say("> previous " + DescribeCurrent(playlist));
      return;
    case tunaro::CommandNext:
      playlist.Next();
      host.Say("> next " + DescribeCurrent(playlist));
      return;
    case tunaro::CommandPlay:
      playlist.Play();
      break;
    case tunaro::CommandPause:
      playlist.TogglePause();
      break;
    case tunaro::CommandStop:
      playlist.Stop();
      playback.position_ms = 0;
      break;
    default:
      host.Say("> ignored command " + std::to_string(id));
      return;
  }
  host.Say(std::string("> ") + PlayStateName(playlist.state) + " " + DescribeCurrent(playlist));
}

long long PlayerModel::CopyData(unsigned long long kind, const std::string& bytes, bool to_editor,
                                PlayerHost& host) {
  const std::optional<HandedFile> file = ReadHandedFile(kind, bytes, to_editor);
  if (!file || (file->wide && !traits.wide_files)) {
    host.Say("> ignored file record " + std::to_string(kind));
    return 0;
  }
  Entry entry = EntryForFile(file->wide ? host.Utf8ToAnsi(file->path) : file->path);
  if (file->wide && host.AnsiToUtf8(entry.path) != file->path) {
    // The code page lost some of it: the UTF-8 copy keeps it whole.
    const Entry whole = EntryForFile(file->path);
    entry.utf8_title = whole.title;
    entry.utf8_path = whole.path;
  }
  const std::string path = entry.path;
  if (file->insert) {
    playlist.Insert(file->index, std::move(entry));
    host.Say("> inserted " + path + " at " + std::to_string(file->index));
  } else {
    playlist.Append(std::move(entry));
    host.Say("> appended " + path);
  }
  return 1;
}

long long PlayerModel::EditorAnswer(long long code, long long value, PlayerHost& host) {
  switch (code) {
    case tunaro::EditorDelete:
      if (playlist.Delete(value)) host.Say("> deleted entry " + std::to_string(value + 1));
      return 0;
    case tunaro::EditorSwap: {
      const long long from = (value >> 16) & 0xFFFF;
      const long long to = value & 0xFFFF;
      if (playlist.Swap(from, to)) {
        host.Say("> swapped " + std::to_string(from + 1) + " and " + std::to_string(to + 1));
      }
      return 0;
    }
    default:
      return 0;
  }
}

PlaylistPlace PlayerModel::Place(const LeadBytes& lead_bytes) const {
  return PlaylistPlaceFor(program_path, traits, app_data, lead_bytes);
}

std::string PlayerModel::Utf8CopyPath(const PlaylistPlace& place) const {
  return traits.utf8_copy && !place.file.empty() ? place.file + "8" : std::string();
}

std::string PlayerModel::PlaylistText() const {
  return player_model::PlaylistText(FileEntries(), Layout());
}

long long PlayerModel::PathChar(unsigned long long position) const {
  if (faults.endless_path) return 'a';
  if (position >= program_path.size()) return faults.path_end_answer;
  return static_cast<unsigned char>(program_path[static_cast<std::size_t>(position)]);
}

long long PlayerModel::Length(unsigned long long which) const {
  if (which == 0) return playback.position_ms;
  if (which != 1) return 0;
  if (faults.length_answer) return *faults.length_answer;
  const Entry* entry = playlist.Current();
  return entry == nullptr ? -1 : entry->seconds;
}

long long PlayerModel::StreamInfo(unsigned long long which) const {
  if (playlist.Current() == nullptr) return 0;
  switch (which) {
    case 0:
      return kSampleRateKhz;
    case 1:
      return kBitRates[playlist.current % 3];
    case 2:
      return kChannels;
    default:
      return 0;
  }
}

// As the player's documentation has it: -1 when it is not playing (paused
// counts as playing), 1 for a time past the end of the song, 0 when it jumped.
long long PlayerModel::Jump(long long milliseconds, PlayerHost& host) {
  if (playlist.state == PlayState::kStopped) return -1;
  const Entry* entry = playlist.Current();
  const long long length_ms = entry != nullptr && entry->seconds >= 0 ? entry->seconds * 1000LL : 0;
  if (milliseconds < 0 || (entry != nullptr && entry->seconds >= 0 && milliseconds >= length_ms)) {
    host.Say("> jump to " + std::to_string(milliseconds) + " ms: past the end");
    return 1;
  }
  playback.position_ms = milliseconds;
  host.Say("> jumped to " + std::to_string(milliseconds) + " ms");
  return 0;
}

// -666 asks; anything else sets, kept within 0 to 255.
long long PlayerModel::Volume(long long argument, PlayerHost& host) {
  if (argument == tunaro::AskVolume) return playback.volume;
  playback.volume = argument < 0 ? 0 : argument > 255 ? 255 : argument;
  host.Say("> volume " + std::to_string(playback.volume));
  return 0;
}

void PlayerModel::SetOrder(const char* name, bool* order, unsigned long long argument,
                           PlayerHost& host) {
  *order = argument != 0;
  host.Say(std::string("> ") + name + (*order ? " on" : " off"));
}

long long PlayerModel::WritePlaylist(PlayerHost& host) {
  const bool unchanged = traits.write_on_change && written_revision_ == playlist.revision;
  if (!faults.no_playlist_file && !unchanged) WriteFiles(host);
  if (traits.write_on_change && playlist.entries.empty()) return kEmptyListIndex;
  return playlist.current;
}

void PlayerModel::WriteFiles(PlayerHost& host) {
  const PlaylistPlace place = Place(host.AnsiLeadBytes());
  std::vector<Entry> with_faults;
  if (faults.file_entries_delta != 0) with_faults = FileEntries();
  const std::vector<Entry>& entries =
      faults.file_entries_delta != 0 ? with_faults : playlist.entries;
  const std::string text = player_model::PlaylistText(entries, Layout());
  bool written = host.WriteFile(place.file, text);
  if (!written) host.Say("! could not write " + place.file);
  const std::string utf8_file = Utf8CopyPath(place);
  if (!utf8_file.empty()) {
    const std::optional<std::string> utf8 = Utf8Copy(entries, Layout(), text, host);
    if (!utf8 || !host.WriteFile(utf8_file, *utf8)) {
      host.Say("! could not write " + utf8_file);
      written = false;
    }
  }
  written_revision_ = written ? std::optional<std::uint64_t>(playlist.revision) : std::nullopt;
}

void PlayerModel::SelectEntry(unsigned long long index, PlayerHost& host) {
  if (index > static_cast<unsigned long long>(playlist.entries.size())) return;
  if (playlist.Select(static_cast<long long>(index))) {
    host.Say("> selected " + DescribeCurrent(playlist));
  }
}

std::vector<Entry> PlayerModel::FileEntries() const {
  const long long wanted =
      static_cast<long long>(playlist.entries.size()) + faults.file_entries_delta;
  std::vector<Entry> entries(
      playlist.entries.begin(),
      playlist.entries.begin() + static_cast<std::ptrdiff_t>(std::clamp<long long>(
                                     wanted, 0, static_cast<long long>(playlist.entries.size()))));
  for (long long i = static_cast<long long>(entries.size()); i < wanted; ++i) {
    entries.push_back(ExtraFileEntry(static_cast<std::size_t>(i) + 1));
  }
  return entries;
}

TextLayout PlayerModel::Layout() const { return TextLayout{line_end, traits.bare_entries_every}; }

}  // namespace player_model
