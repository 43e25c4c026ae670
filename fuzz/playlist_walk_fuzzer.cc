// The two walks over the player's playlist file: all titles, and one entry.
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
#include "platform/ansi_characters.h"
#include "player/playlist_walk.h"
#include "render/page_text.h"
#include "testing/fake_system.h"
#include "title_reference.h"

// Input: "slots width mode" NUL playlist text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tunaro_fuzz::SplitFields(data, size, 2);
  const tunaro_fuzz::Knobs knobs(fields[0]);
  const std::string_view content = fields[1];
  const auto slots = static_cast<std::size_t>(std::clamp<std::int64_t>(knobs.Get(0, 8), 0, 4096));
  const auto width = static_cast<std::int16_t>(knobs.Get(1));
  const auto mode = static_cast<tunaro_fuzz::Mode>(static_cast<std::uint64_t>(knobs.Get(2)) %
                                                   tunaro_fuzz::kModes);
  tunaro::FakeSystem system;
  system.code_page = mode == tunaro_fuzz::kDoubleByte     ? 932
                     : mode == tunaro_fuzz::kUtf8CodePage ? 65001
                                                          : 1252;

  const std::vector<tunaro_fuzz::Entry> entries = tunaro_fuzz::PlaylistEntries(content);
  const std::size_t stored = std::min(slots, entries.size());

  const bool utf8 = mode == tunaro_fuzz::kUtf8Copy;
  tunaro::TitleList titles;
  titles.Reset(slots);
  try {
    tunaro::WalkPlaylistTitles(
        content, utf8 ? tunaro::CharacterRule::Utf8() : tunaro::AnsiCharacters(system), width,
        titles);
  } catch (const tunaro::RunError& error) {
    // A negative width is no length; it fails at the first title it cuts.
    FUZZ_CHECK(error.number() == tunaro::error_number::kInvalidArgument);
    FUZZ_CHECK(width < 0 && stored > 0);
    return 0;
  }
  FUZZ_CHECK(width >= 0 || stored == 0);
  FUZZ_CHECK(titles.size() == slots);

  // The page writes each title as it was walked, and a browser sends it back.
  tunaro::PageText text(
      [&system](char32_t code_point) { return system.AnsiCharacter(code_point); });
  std::string sent;
  for (std::size_t k = 0; k < slots; ++k) {
    const std::string_view title = titles[k];
    if (k >= stored) {
      FUZZ_CHECK(title.empty());
      continue;
    }
    // The last `width` whole characters, never part of one.
    const std::string whole_title = tunaro_fuzz::WholeTitle(entries[k], mode);
    const std::vector<std::string_view> whole = tunaro_fuzz::Characters(whole_title, mode);
    const std::size_t from =
        width > 0 && whole.size() > static_cast<std::size_t>(width) ? whole.size() - width : 0;
    const std::vector<std::string_view> cut(whole.begin() + static_cast<std::ptrdiff_t>(from),
                                            whole.end());
    FUZZ_CHECK(title == tunaro_fuzz::Join(cut, 0));
    FUZZ_CHECK(text.Title(title, utf8) == tunaro_fuzz::PageForm(cut, mode, system));
    sent.clear();
    text.AppendSentTitle(sent, title, utf8);
    FUZZ_CHECK(sent == tunaro_fuzz::PageForm(cut, mode, system, false));
  }

  // The single-entry walk agrees with the whole walk; each costs a pass, so
  // only some entries are looked up.
  const auto check_entry = [&](std::size_t k) {
    const std::optional<tunaro::PlaylistEntry> found =
        tunaro::FindPlaylistEntry(content, static_cast<std::int32_t>(k));
    FUZZ_CHECK(found.has_value());
    FUZZ_CHECK(found->info_line.has_value() == entries[k].has_info);
    if (entries[k].has_info) FUZZ_CHECK(*found->info_line == entries[k].info);
    FUZZ_CHECK(found->file_line == entries[k].file);
  };
  for (std::size_t k = 0; k < entries.size(); k += 1 + k / 4) check_entry(k);
  if (!entries.empty()) check_entry(entries.size() - 1);
  for (const std::int64_t outside : {static_cast<std::int64_t>(entries.size()), std::int64_t{-1},
                                     std::int64_t{INT32_MIN}, std::int64_t{INT32_MAX}}) {
    FUZZ_CHECK(!tunaro::FindPlaylistEntry(content, static_cast<std::int32_t>(outside)));
  }
  return 0;
}
