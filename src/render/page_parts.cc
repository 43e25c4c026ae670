#include "render/page_parts.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <vector>

namespace tunaro {

void WriteOptionLines(ResponseWriter& out, const PlayerStatus& status) {
  // Each line is put together in one buffer, which only ever grows: a page
  // may list 100,000 entries, and building each from strings costs more than
  // the rest of the page.
  constexpr std::string_view kOption = "<option>";
  constexpr std::string_view kSelectedOption = "<option selected>";
  constexpr std::string_view kEnd = "</option>";
  constexpr std::size_t kNumberRoom = 12;  // ". " and up to ten digits
  std::vector<char> line;
  for (std::int32_t k = 0; k < status.EntryCount; ++k) {
    const std::string_view title = status.Titles[static_cast<std::size_t>(k)];
    const std::size_t room = kSelectedOption.size() + kNumberRoom + title.size() + kEnd.size();
    if (line.size() < room) line.resize(room);
    const std::string_view start = k == status.CurrentEntry ? kSelectedOption : kOption;
    char* at = std::copy(start.begin(), start.end(), line.data());
    at = std::to_chars(at, at + kNumberRoom, k + 1).ptr;
    *at++ = '.';
    *at++ = ' ';
    at = std::copy(title.begin(), title.end(), at);
    at = std::copy(kEnd.begin(), kEnd.end(), at);
    out.WriteLine(std::string_view(line.data(), static_cast<std::size_t>(at - line.data())));
  }
}

}  // namespace tunaro
