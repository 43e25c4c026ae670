// The player's answers and its playlist file, read into the status snapshot
// through the fake system and player.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "fuzz_input.h"
#include "player/player_link.h"
#include "player/player_messages.h"
#include "player/player_status.h"
#include "testing/fake_system.h"
#include "testing/player_model/playlist_place.h"
#include "title_reference.h"

namespace {

enum Flags : std::int64_t {
  kNoProgramFile = 1,
  kNoPlaylistFile = 2,
  kHiddenPlaylist = 4,
  kPlaylistIsDirectory = 8,
  kLockTaken = 16,            // another run holds the playlist lock past the wait
  kProcessNamesProgram = 32,  // the system names the player's program file
  kFolderQuery = 64,          // the player names its playlist folder
  kDoubleByte = 128,          // the system's code page is 932
  kUtf8Copy = 256,            // the player also wrote the text as its UTF-8 copy, after it
};

constexpr char kFallbackProgram[] = "C:\\Fallback\\player.exe";
constexpr char kFolder[] = "C:\\Lists";
constexpr std::uint64_t kFolderAddress = 0x10000F80;

// Where a player whose program is `program` keeps its playlist file, by the
// player's own rule: the program's rule is checked against it.
std::string PlaylistFile(const std::string& program, bool in_folder,
                         const player_model::LeadBytes& lead_bytes) {
  player_model::VersionTraits traits;
  if (in_folder) traits.playlist_dir = kFolder;
  return player_model::PlaylistPlaceFor(program, traits, "", lead_bytes).file;
}

// A path the player reports in full: long enough, under the limit, and with
// no control character, which would end it as "no path".
// Long enough to name the playlist file after it: three characters, which
// under a double-byte code page may take more than three bytes.
bool ReportedInFull(const std::string& path, const player_model::LeadBytes& lead_bytes) {
  return !PlaylistFile(path, false, lead_bytes).empty() &&
         path.size() < static_cast<std::size_t>(tunaro::kMaxPlayerPathLength) &&
         std::none_of(path.begin(), path.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 32; });
}

bool IsSuffix(std::string_view text, std::string_view tail) {
  return tunaro_fuzz::EndsWith(text, tail);
}

}  // namespace

// Input: "count current width play_state length flags" NUL program path NUL
// playlist text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tunaro_fuzz::SplitFields(data, size, 3);
  const tunaro_fuzz::Knobs knobs(fields[0]);
  const std::int64_t flags = knobs.Get(5);
  // Counts up to the cap (a million slots) take a fifth of a second each under
  // the sanitizers and crowd out everything else; the cap is a plain clamp.
  const std::int32_t count = knobs.Int32(0, 3) % 5001;
  const std::int32_t current = knobs.Int32(1);
  const auto width = static_cast<std::int16_t>(knobs.Get(2));
  const std::string_view content = fields[2];

  tunaro::FakeSystem system;
  system.code_page = (flags & kDoubleByte) ? 932 : 1252;
  const player_model::LeadBytes lead_bytes = system.AnsiCodePage().lead_bytes;
  tunaro::FakePlayer& player = system.player;
  if (!fields[1].empty()) player.program_path = std::string(fields[1]);
  const std::string path = player.program_path;
  player.faults.state_answer = knobs.Int32(3, 1);
  const std::int32_t length = knobs.Int32(4, 205);
  player.faults.length_answer = length;
  player.faults.no_playlist_file = true;  // the file is what the fuzzer wrote
  player.answer_hook = [&](std::int32_t code, std::int32_t) -> std::optional<std::int64_t> {
    if (code == tunaro::QueryEntryCount) return count;
    if (code == tunaro::WritePlaylist) return current;
    if (code == tunaro::QueryPlaylistDirectory && (flags & kFolderQuery)) return kFolderAddress;
    return std::nullopt;
  };
  player.memory = {{kFolderAddress, std::string(kFolder) + '\0'}};
  player.image_path = (flags & kProcessNamesProgram) ? kFallbackProgram : "";
  if (!(flags & kNoProgramFile)) system.SetFile(path, "MZ");
  if (flags & kProcessNamesProgram) system.SetFile(kFallbackProgram, "MZ");
  const bool from_player = ReportedInFull(path, lead_bytes) && system.IsOrdinaryFile(path);
  const std::string program =
      from_player ? path : ((flags & kProcessNamesProgram) ? kFallbackProgram : "");
  const std::string playlist_path = PlaylistFile(program, flags & kFolderQuery, lead_bytes);
  if (!playlist_path.empty() && !(flags & kNoPlaylistFile)) {
    system.SetFile(playlist_path, std::string(content));
    // A program path of three characters names its own playlist file; that
    // file stays the program.
    if (playlist_path != program) {
      system.files[playlist_path].hidden = (flags & kHiddenPlaylist) != 0;
      system.files[playlist_path].directory = (flags & kPlaylistIsDirectory) != 0;
    }
    if (flags & kUtf8Copy)
      system.SetFile(playlist_path + "8", "\xEF\xBB\xBF" + std::string(content));
  }
  const bool path_usable = !program.empty();
  const bool playlist_exists = system.files.count(playlist_path) != 0;
  const bool playlist_is_directory = playlist_exists && system.files[playlist_path].directory;
  const bool playlist_walked = playlist_exists && system.IsOrdinaryFile(playlist_path);
  // What the playlist file holds (the program file itself when the paths meet).
  const std::string file_text = playlist_exists ? system.files[playlist_path].content : "";

  system.playlist_lock_available = !(flags & kLockTaken);

  tunaro::PlayerStatus status;
  status.PlayerWindow = player.window;
  try {
    tunaro::RefreshPlayerStatus(system, width, status);
  } catch (const tunaro::RunEndedEarly&) {
    FUZZ_CHECK(!system.playlist_lock_held);
    FUZZ_CHECK(!path_usable);
    return 0;
  } catch (const tunaro::RunError& error) {
    FUZZ_CHECK(!system.playlist_lock_held);
    FUZZ_CHECK(path_usable);
    if (playlist_is_directory) {
      FUZZ_CHECK(error.number() == tunaro::error_number::kPathFileAccess);
    } else {
      FUZZ_CHECK(error.number() == tunaro::error_number::kInvalidArgument);
      FUZZ_CHECK(width < 0);
    }
    return 0;
  }
  FUZZ_CHECK(!system.playlist_lock_held);  // released on every way out
  FUZZ_CHECK(path_usable && !playlist_is_directory && width >= 0);
  FUZZ_CHECK(status.PlayerPath == program);
  FUZZ_CHECK(status.PlaylistPath == playlist_path);

  const std::string_view state = status.StateText;
  FUZZ_CHECK(state.empty() || state == "Playing" || state == "Paused" || state == "Stopped");
  FUZZ_CHECK(status.LengthText.empty() == (length < 0));

  FUZZ_CHECK(status.EntryCount == std::clamp(count, 0, tunaro::kMaxEntryCount));
  FUZZ_CHECK(status.Titles.size() == static_cast<std::size_t>(status.EntryCount));

  // The copy is read when the file is, and holds as many entries.
  const std::string copy_text(content);  // the copy without the mark it was written with
  const bool from_copy = (flags & kUtf8Copy) && playlist_walked && !(flags & kNoPlaylistFile) &&
                         tunaro_fuzz::PlaylistEntries(copy_text).size() ==
                             tunaro_fuzz::PlaylistEntries(file_text).size();
  const tunaro_fuzz::Mode mode = from_copy               ? tunaro_fuzz::kUtf8Copy
                                 : (flags & kDoubleByte) ? tunaro_fuzz::kDoubleByte
                                                         : tunaro_fuzz::kSingleByte;
  const bool plain = mode == tunaro_fuzz::kSingleByte;  // one byte a character, escaped
  const std::vector<tunaro_fuzz::Entry> entries =
      tunaro_fuzz::PlaylistEntries(from_copy ? copy_text : file_text);
  // The titles are held in the text they came from.
  FUZZ_CHECK(status.TitlesInUtf8 == from_copy && status.CurrentTitleInUtf8 == from_copy);
  for (std::size_t k = 0; k < status.Titles.size(); ++k) {
    const std::string_view title = status.Titles[k];
    if (!playlist_walked || k >= entries.size()) {
      FUZZ_CHECK(title.empty());
      continue;
    }
    const tunaro_fuzz::Entry& entry = entries[k];
    FUZZ_CHECK(title ==
               tunaro_fuzz::LastCharacters(tunaro_fuzz::WholeTitle(entry, mode), width, mode));
    if (!plain) continue;
    FUZZ_CHECK(entry.has_info ? IsSuffix(entry.info, title)
                              : entry.file.find(title) != std::string::npos);
    if (width > 0) FUZZ_CHECK(title.size() <= static_cast<std::size_t>(width));
  }

  // The current entry comes from the file as the player left it; a missing
  // file is left behind empty.
  FUZZ_CHECK(status.CurrentEntry == current);
  FUZZ_CHECK(system.files.count(playlist_path) == 1);
  const bool current_listed =
      playlist_exists && current >= 0 && static_cast<std::size_t>(current) < entries.size();
  if (!current_listed) {
    FUZZ_CHECK(status.CurrentTitle.empty());
    return 0;
  }
  const tunaro_fuzz::Entry& entry = entries[static_cast<std::size_t>(current)];
  // The information line cut, the text after its first comma, cut again.
  const std::string cut_info = tunaro_fuzz::LastCharacters(entry.info, width, mode);
  const std::string expected = tunaro_fuzz::LastCharacters(
      entry.has_info ? std::string(tunaro::TextAfterFirstComma(cut_info))
                     : tunaro_fuzz::WholeTitle(entry, mode),
      width, mode);
  FUZZ_CHECK(status.CurrentTitle == expected);
  if (!plain) return 0;
  const std::string& current_title = status.CurrentTitle;
  if (width > 0) FUZZ_CHECK(current_title.size() <= static_cast<std::size_t>(width));
  if (entry.has_info) {
    FUZZ_CHECK(IsSuffix(entry.info, current_title));
    if (width == 0) FUZZ_CHECK(current_title == tunaro::TextAfterFirstComma(entry.info));
  }
  if (playlist_walked && static_cast<std::size_t>(current) < status.Titles.size()) {
    // The list shows the same title; a comma inside the cut part of an
    // information line may shorten the current title further, never lengthen it.
    const std::string_view listed = status.Titles[static_cast<std::size_t>(current)];
    FUZZ_CHECK(IsSuffix(listed, current_title));
    if (width == 0 || !entry.has_info) FUZZ_CHECK(current_title == listed);
  }
  return 0;
}
