#include "page_end_text.h"

#include <windows.h>

#include <cstring>

namespace standin {

PageEndText::PageEndText(const std::string& text) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::size_t page = system.dwPageSize;
  const std::size_t used = (text.size() + 1 + page - 1) / page * page;
  // One page more reserved than committed: the gap after the text.
  block_ = VirtualAlloc(nullptr, used + page, MEM_RESERVE | MEM_TOP_DOWN, PAGE_NOACCESS);
  if (block_ == nullptr) return;
  if (VirtualAlloc(block_, used, MEM_COMMIT, PAGE_READWRITE) == nullptr) return;
  char* at = static_cast<char*>(block_) + used - (text.size() + 1);
  std::memcpy(at, text.c_str(), text.size() + 1);
  text_ = at;
}

PageEndText::~PageEndText() {
  if (block_ != nullptr) VirtualFree(block_, 0, MEM_RELEASE);
}

}  // namespace standin
