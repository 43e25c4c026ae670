// Reading the text of a file by line and by comma-delimited field, the two
// ways the program reads its configuration and the site's header and footer.
#ifndef TUNARO_BASE_TEXT_LINES_H_
#define TUNARO_BASE_TEXT_LINES_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tunaro {

// Calls `visit` with each line of `content`. A line ends at CR LF, at a lone
// CR or at a lone LF. A last line without an ending counts; an empty content
// has no lines.
template <typename Visit>
void ForEachTextLine(std::string_view content, Visit visit) {
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      visit(content.substr(start));
      return;
    }
    visit(content.substr(start, end - start));
    start = end + 1;
    if (content[end] == '\r' && start < content.size() && content[start] == '\n') ++start;
  }
}

// Reads comma-delimited fields:
// - blanks in front of a field are skipped;
// - a field that starts with a double quote runs to the next double quote
//   (or the end of the text); the quotes are dropped, commas, blanks and line
//   ends between them belong to the field, and whatever follows the closing
//   quote up to the next comma or line end is dropped;
// - any other field runs up to the first comma or line end (CR LF, CR or LF),
//   which ends it and is not part of it.
class FieldReader {
 public:
  explicit FieldReader(std::string_view content) : content_(content) {}
  bool AtEnd() const { return pos_ >= content_.size(); }
  std::string NextField();

 private:
  void SkipDelimiter();
  std::string_view content_;
  std::size_t pos_ = 0;
};

}  // namespace tunaro

#endif  // TUNARO_BASE_TEXT_LINES_H_
