#include "base/text_lines.h"

namespace tunaro {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

std::string FieldReader::NextField() {
  while (pos_ < content_.size() && content_[pos_] == ' ') ++pos_;
  std::string field;
  if (pos_ < content_.size() && content_[pos_] == '"') {
    const std::size_t close = content_.find('"', pos_ + 1);
    if (close == std::string_view::npos) {
      field = std::string(content_.substr(pos_ + 1));
      pos_ = content_.size();
      return field;
    }
    field = std::string(content_.substr(pos_ + 1, close - pos_ - 1));
    pos_ = close + 1;
    while (pos_ < content_.size() && content_[pos_] != ',' && !IsLineEnd(content_[pos_])) ++pos_;
  } else {
    const std::size_t begin = pos_;
    while (pos_ < content_.size() && content_[pos_] != ',' && !IsLineEnd(content_[pos_])) ++pos_;
    field = std::string(content_.substr(begin, pos_ - begin));
  }
  SkipDelimiter();
  return field;
}

void FieldReader::SkipDelimiter() {
  if (pos_ >= content_.size()) return;
  if (content_[pos_] == ',') {
    ++pos_;
    return;
  }
  if (content_[pos_] == '\r') {
    ++pos_;
    if (pos_ < content_.size() && content_[pos_] == '\n') ++pos_;
    return;
  }
  if (content_[pos_] == '\n') ++pos_;
}

}  // namespace tunaro
