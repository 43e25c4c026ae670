// A text placed where a reader from another process must get the details
// right: as high in memory as the system gives (above 4 GiB in a 64-bit
// process, so every bit of its address counts), and ending at the last byte
// of a page whose next page is not there, so a reader that reads past the
// NUL fails.
#ifndef TUNARO_TOOLS_STANDIN_PLAYER_PAGE_END_TEXT_H_
#define TUNARO_TOOLS_STANDIN_PLAYER_PAGE_END_TEXT_H_

#include <string>

namespace standin {

class PageEndText {
 public:
  explicit PageEndText(const std::string& text);
  ~PageEndText();
  PageEndText(const PageEndText&) = delete;
  PageEndText& operator=(const PageEndText&) = delete;

  // The NUL-ended text; null when the memory could not be had.
  const char* get() const { return text_; }

 private:
  void* block_ = nullptr;
  const char* text_ = nullptr;
};

}  // namespace standin

#endif  // TUNARO_TOOLS_STANDIN_PLAYER_PAGE_END_TEXT_H_
