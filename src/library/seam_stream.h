// TagLib's view of a file, read through the seam: TagLib never opens a file
// itself, and can write nothing.
#ifndef TUNARO_LIBRARY_SEAM_STREAM_H_
#define TUNARO_LIBRARY_SEAM_STREAM_H_

#include <taglib/tiostream.h>

#include <cstdint>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

// Reads ahead in blocks, so that TagLib's many small reads cost few of the
// system's, and reads no more than `budget` bytes in all: a damaged tag that
// claims to be a gigabyte is then only cut short.
class SeamStream : public TagLib::IOStream {
 public:
  SeamStream(SystemInterface& system, std::string path, std::uint64_t size, std::uint64_t budget);

  TagLib::FileName name() const override { return path_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return true; }
  void seek(long offset, Position position) override;
  long tell() const override;
  long length() override;
  void truncate(long) override {}

 private:
  SystemInterface& system_;
  const std::string path_;
  const std::uint64_t size_;
  std::uint64_t budget_;
  std::uint64_t position_ = 0;
  std::string ahead_;  // the bytes read from ahead_offset_ on
  std::uint64_t ahead_offset_ = 0;
};

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_SEAM_STREAM_H_
