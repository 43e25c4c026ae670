#include "render/page_parts.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "render/html_escape.h"

namespace tunaro {

void WriteOptionLines(ResponseWriter& out, const PlayerStatus& status, PageText& text) {
  // A page may list 100,000 entries, and building each line from strings
  // costs more than the rest of the page. So the lines are put together in
  // one buffer, which only ever grows, and handed over some 64 KiB at a time:
  // WriteLine ends the last with CR LF, the others have theirs already.
  constexpr std::string_view kOption = "<option>";
  constexpr std::string_view kSelectedOption = "<option selected>";
  constexpr std::string_view kEnd = "</option>\r\n";
  constexpr std::size_t kNumberRoom = 12;  // ". " and up to ten digits
  constexpr std::size_t kHandOver = 64 * 1024;
  std::vector<char> lines(kHandOver + 1024);
  std::size_t used = 0;
  const auto hand_over = [&] {
    out.WriteLine(std::string_view(lines.data(), used - 2));
    used = 0;
  };
  // A title of the code page needs escaping only where a character needs a
  // reference, and those are found in one search over all of them.
  const std::string_view all = status.Titles.text();
  HtmlEscapeSearch escapes(all);
  std::size_t next_escape = escapes.NextFrom(0);
  std::string copy_title;  // a title of the UTF-8 copy, in the page's form
  for (std::int32_t k = 0; k < status.EntryCount; ++k) {
    std::string_view title = status.Titles[static_cast<std::size_t>(k)];
    bool escape = false;
    if (status.TitlesInUtf8) {
      copy_title.clear();
      text.AppendTitle(copy_title, title, true);
      title = copy_title;
    } else if (!title.empty()) {
      const std::size_t end = static_cast<std::size_t>(title.data() - all.data()) + title.size();
      escape = next_escape < end;
      if (escape) next_escape = escapes.NextFrom(end);
    }
    const std::size_t room = kSelectedOption.size() + kNumberRoom +
                             title.size() * (escape ? kMostEscapedLength : 1) + kEnd.size();
    if (lines.size() < used + room) lines.resize(std::max(lines.size() * 2, used + room));
    const std::string_view start = k == status.CurrentEntry ? kSelectedOption : kOption;
    char* at = std::copy(start.begin(), start.end(), lines.data() + used);
    at = std::to_chars(at, at + kNumberRoom, k + 1).ptr;
    *at++ = '.';
    *at++ = ' ';
    at = escape ? EscapeHtmlInto(at, title) : std::copy(title.begin(), title.end(), at);
    at = std::copy(kEnd.begin(), kEnd.end(), at);
    used = static_cast<std::size_t>(at - lines.data());
    if (used >= kHandOver) hand_over();
  }
  if (used > 0) hand_over();
}

}  // namespace tunaro
