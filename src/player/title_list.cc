#include "player/title_list.h"

namespace tunaro {

TitleList::TitleList(std::initializer_list<std::string_view> titles) {
  Reset(titles.size());
  for (std::string_view title : titles) Append(title);
}

void TitleList::Reset(std::size_t slots) {
  text_.clear();
  ends_.clear();
  slots_ = slots;
  ends_.reserve(slots);
}

void TitleList::ReserveText(std::size_t bytes) { text_.reserve(bytes); }

bool TitleList::Append(std::string_view title) {
  if (ends_.size() >= slots_) return false;
  text_.append(title);
  ends_.push_back(text_.size());
  return true;
}

std::string_view TitleList::operator[](std::size_t k) const {
  if (k >= ends_.size()) return {};
  const std::size_t start = k == 0 ? 0 : ends_[k - 1];
  return std::string_view(text_).substr(start, ends_[k] - start);
}

bool TitleList::operator==(const std::vector<std::string>& titles) const {
  if (titles.size() != slots_) return false;
  for (std::size_t k = 0; k < slots_; ++k) {
    if ((*this)[k] != titles[k]) return false;
  }
  return true;
}

}  // namespace tunaro
