// The titles of a playlist, kept in one block of text. A playlist may hold
// 100,000 entries and more; one allocation for them all, rather than one per
// title, is what keeps a page of them quick to make and to let go of.
#ifndef TUNARO_PLAYER_TITLE_LIST_H_
#define TUNARO_PLAYER_TITLE_LIST_H_

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro {

class TitleList {
 public:
  TitleList() = default;
  // Filled slots, as a test writes them.
  TitleList(std::initializer_list<std::string_view> titles);

  // `slots` empty titles; Append fills them from the first on.
  void Reset(std::size_t slots);
  // Room for `bytes` of titles, so that filling the slots never moves them:
  // pages of the room that stay unused are never touched.
  void ReserveText(std::size_t bytes);
  // Fills the next empty slot; false (and nothing stored) when none is left.
  bool Append(std::string_view title);

  std::size_t size() const { return slots_; }
  bool full() const { return ends_.size() >= slots_; }
  // The title in slot `k`; empty for a slot not filled or out of range.
  std::string_view operator[](std::size_t k) const;
  // The filled slots end to end, in order: each title is a part of it.
  std::string_view text() const { return text_; }

  bool operator==(const std::vector<std::string>& titles) const;

 private:
  std::string text_;               // the filled slots, end to end
  std::vector<std::size_t> ends_;  // where each filled slot ends in text_
  std::size_t slots_ = 0;
};

}  // namespace tunaro

#endif  // TUNARO_PLAYER_TITLE_LIST_H_
