#include "library/seam_stream.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace tunaro {
namespace {

constexpr std::uint64_t kReadAhead = 64 * 1024;

// A position or length as TagLib counts them (a long, 32 bits on Windows).
long AsLong(std::uint64_t value) {
  return static_cast<long>(std::min<std::uint64_t>(value, LONG_MAX));
}

}  // namespace

SeamStream::SeamStream(SystemInterface& system, std::string path, std::uint64_t size,
                       std::uint64_t budget)
    : system_(system), path_(std::move(path)), size_(size), budget_(budget) {}

TagLib::ByteVector SeamStream::readBlock(unsigned long length) {
  if (position_ >= size_ || length == 0) return {};
  const std::uint64_t want = std::min<std::uint64_t>(length, size_ - position_);
  const bool have = position_ >= ahead_offset_ && position_ + want <= ahead_offset_ + ahead_.size();
  if (!have) {
    const std::uint64_t fetch = std::min({std::max(want, kReadAhead), size_ - position_, budget_});
    std::optional<std::string> bytes =
        fetch == 0 ? std::nullopt
                   : system_.ReadFilePart(path_, position_, static_cast<std::size_t>(fetch));
    if (!bytes) return {};
    budget_ -= std::min<std::uint64_t>(budget_, bytes->size());
    ahead_ = std::move(*bytes);
    ahead_offset_ = position_;
  }
  const std::size_t start = static_cast<std::size_t>(position_ - ahead_offset_);
  const std::size_t count =
      static_cast<std::size_t>(std::min<std::uint64_t>(want, ahead_.size() - start));
  position_ += count;
  return TagLib::ByteVector(ahead_.data() + start, static_cast<unsigned int>(count));
}

void SeamStream::seek(long offset, Position position) {
  std::int64_t base = 0;
  if (position == Current) base = static_cast<std::int64_t>(position_);
  if (position == End) base = static_cast<std::int64_t>(size_);
  const std::int64_t target = base + offset;
  position_ = target < 0 ? 0 : static_cast<std::uint64_t>(target);
}

long SeamStream::tell() const { return AsLong(position_); }

long SeamStream::length() { return AsLong(size_); }

}  // namespace tunaro
