// The line reader of the configuration file and the field reader of the
// site's header and footer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_lines.h"
#include "fuzz_input.h"

namespace {

void CheckLines(std::string_view content) {
  std::vector<std::string_view> lines;
  tunaro::ForEachTextLine(content, [&](std::string_view line) { lines.push_back(line); });

  // Taking out every CR and LF leaves the lines end to end.
  std::string joined;
  for (std::string_view line : lines) {
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    joined.append(line);
  }
  std::string expected;
  for (char c : content) {
    if (c != '\r' && c != '\n') expected.push_back(c);
  }
  FUZZ_CHECK(joined == expected);

  // One line per line end (CR LF counting once), and one more for text after
  // the last.
  std::size_t ends = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\n' && i > 0 && content[i - 1] == '\r') continue;
    ends += content[i] == '\r' || content[i] == '\n';
  }
  const std::size_t last_end = content.find_last_of("\r\n");
  const bool tail =
      last_end == std::string_view::npos ? !content.empty() : last_end + 1 < content.size();
  FUZZ_CHECK(lines.size() == ends + (tail ? 1 : 0));
}

void CheckFields(std::string_view content) {
  const bool has_quotes = content.find('"') != std::string_view::npos;
  tunaro::FieldReader reader(content);
  std::size_t fields = 0;
  std::size_t total = 0;
  while (!reader.AtEnd()) {
    // Every field takes at least one byte or its delimiter: no more fields than bytes.
    FUZZ_CHECK(++fields <= content.size());
    const std::string field = reader.NextField();
    total += field.size();
    FUZZ_CHECK(content.find(field) != std::string_view::npos);
    if (!has_quotes) {
      FUZZ_CHECK(field.find_first_of(",\r\n") == std::string::npos);
      FUZZ_CHECK(field.empty() || field.front() != ' ');
    }
  }
  FUZZ_CHECK(total <= content.size());
  FUZZ_CHECK(fields > 0 || content.empty());

  // Without quotes each delimiter (a comma, CR LF, a lone CR or LF) ends one
  // field, and whatever follows the last one is one more.
  if (!has_quotes) {
    std::size_t delimiters = 0;
    std::size_t after_last = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
      const char c = content[i];
      if (c == '\n' && i > 0 && content[i - 1] == '\r') {
        after_last = i + 1;
        continue;
      }
      if (c == ',' || c == '\r' || c == '\n') {
        ++delimiters;
        after_last = i + 1;
      }
    }
    FUZZ_CHECK(fields == delimiters + (after_last < content.size() ? 1 : 0));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  CheckLines(content);
  CheckFields(content);
  return 0;
}
