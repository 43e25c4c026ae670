// Any bytes as an audio file of each kind whose tags may hold a picture: the
// picture reader (TagLib behind our stream) and the cover choice around it
// never crash, read only within the file, and give a picture only when its
// bytes are one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "library/cover_choice.h"
#include "library/embedded_picture.h"
#include "library/image_type.h"
#include "library/music_folders.h"
#include "testing/fake_system.h"

namespace {

constexpr const char* kExtensions[] = {"mp3",  "flac", "m4a", "ogg", "opus", "wav",
                                       "aiff", "wma",  "ape", "mpc", "wv"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the kind; the rest is the file.
  const char* extension = kExtensions[data[0] % (sizeof kExtensions / sizeof kExtensions[0])];
  const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string path = std::string("C:\\Music\\a.") + extension;

  tunaro::FakeSystem system;
  system.folders.AddFile(path, content);
  const std::optional<std::string> picture =
      tunaro::ReadEmbeddedPicture(system, path, content.size());
  if (picture) FUZZ_CHECK(!picture->empty());
  for (const tunaro::FakeFolders::Read& read : system.folders.reads) {
    FUZZ_CHECK(read.offset < content.size() && read.size <= content.size() - read.offset);
  }

  const std::vector<tunaro::MusicFolder> folders =
      tunaro::ResolveMusicFolders(system, {"C:\\Music"});
  const tunaro::CoverChoice cover = tunaro::ChooseCover(system, folders, path);
  if (cover.outcome == tunaro::CoverOutcome::kFound) {
    FUZZ_CHECK(picture && cover.image.bytes == *picture);
    FUZZ_CHECK(cover.image.media_type == tunaro::ImageMediaType(*picture));
    FUZZ_CHECK(!cover.image.media_type.empty());
  } else {
    FUZZ_CHECK(cover.outcome == tunaro::CoverOutcome::kNone);
    FUZZ_CHECK(!picture || tunaro::ImageMediaType(*picture).empty() ||
               picture->size() > tunaro::kLargestCover);
  }
  return 0;
}
