// The two walks over the player's playlist file: all titles, and the
// information line of one entry.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/run_error.h"
#include "base/text_rules.h"
#include "fuzz_input.h"
#include "player/playlist_walk.h"

namespace {

constexpr char kUnset[] = "\x01unset\x01";

}  // namespace

// Input: "slots width" NUL playlist text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tunaro_fuzz::SplitFields(data, size, 2);
  const tunaro_fuzz::Knobs knobs(fields[0]);
  const std::string_view content = fields[1];
  const auto slots = static_cast<std::size_t>(std::clamp<std::int64_t>(knobs.Get(0, 8), 0, 4096));
  const auto width = static_cast<std::int16_t>(knobs.Get(1));

  const std::vector<std::string> lines = tunaro_fuzz::PlaylistLines(content);
  const std::size_t entries = lines.size() / 2;  // after the header, two lines each
  const std::size_t stored = std::min(slots, entries);

  std::vector<std::string> titles(slots, kUnset);
  try {
    tunaro::WalkPlaylistTitles(content, width, titles);
  } catch (const tunaro::RunError& error) {
    // A negative width is no length; it fails at the first title it cuts.
    FUZZ_CHECK(error.number() == tunaro::error_number::kInvalidArgument);
    FUZZ_CHECK(width < 0 && stored > 0);
    return 0;
  }
  FUZZ_CHECK(width >= 0 || stored == 0);
  FUZZ_CHECK(titles.size() == slots);

  for (std::size_t k = 0; k < slots; ++k) {
    const std::string& title = titles[k];
    if (k >= stored) {
      FUZZ_CHECK(title == kUnset);
      continue;
    }
    const std::string& line = lines[2 * k + 1];
    FUZZ_CHECK(title.size() <= line.size());
    FUZZ_CHECK(tunaro_fuzz::EndsWith(line, title));
    if (width > 0) FUZZ_CHECK(title.size() <= static_cast<std::size_t>(width));
    const std::string_view whole = tunaro::TextAfterFirstComma(line);
    FUZZ_CHECK(title ==
               (width > 0 ? whole.substr(whole.size() - std::min<std::size_t>(whole.size(), width))
                          : whole));
  }

  // The single-entry walk agrees with the whole walk; each costs a pass, so
  // only some entries are looked up.
  std::string line;
  for (std::size_t k = 0; k < entries; k += 1 + k / 4) {
    FUZZ_CHECK(tunaro::FindPlaylistEntryLine(content, static_cast<std::int32_t>(k), line));
    FUZZ_CHECK(line == lines[2 * k + 1]);
  }
  if (entries > 0) {
    FUZZ_CHECK(
        tunaro::FindPlaylistEntryLine(content, static_cast<std::int32_t>(entries - 1), line));
    FUZZ_CHECK(line == lines[2 * entries - 1]);
  }
  FUZZ_CHECK(!tunaro::FindPlaylistEntryLine(content, static_cast<std::int32_t>(entries), line));
  FUZZ_CHECK(!tunaro::FindPlaylistEntryLine(content, -1, line));
  FUZZ_CHECK(!tunaro::FindPlaylistEntryLine(content, INT32_MIN, line));
  FUZZ_CHECK(!tunaro::FindPlaylistEntryLine(content, INT32_MAX, line));
  return 0;
}
