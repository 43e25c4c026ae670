// The picture in an audio file's tags, through TagLib.
#ifndef TUNARO_LIBRARY_EMBEDDED_PICTURE_H_
#define TUNARO_LIBRARY_EMBEDDED_PICTURE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

// The most a file's tags are read for their picture.
constexpr std::uint64_t kMostTagBytes = 64 << 20;

// The front cover (else the first picture) of the tags of the file at `path`
// (`size` bytes), by the kind its extension names: ID3v2 APIC frames (mp3,
// and the ID3v2 chunk of wav and aiff), FLAC pictures (flac), MP4 "covr"
// (m4a), METADATA_BLOCK_PICTURE of Vorbis comments (ogg, opus), WM/Picture
// (wma), and APE tags' "Cover Art (Front)" (ape, mpc, wv). Read through the
// seam, never written; a damaged tag, or any fault of TagLib's, gives
// nothing, as does a file without a picture.
std::optional<std::string> ReadEmbeddedPicture(SystemInterface& system, const std::string& path,
                                               std::uint64_t size);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_EMBEDDED_PICTURE_H_
