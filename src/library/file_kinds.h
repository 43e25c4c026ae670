// Which files the library shows: audio files and playlists, by extension.
#ifndef TUNARO_LIBRARY_FILE_KINDS_H_
#define TUNARO_LIBRARY_FILE_KINDS_H_

#include <string_view>

namespace tunaro {

enum class FileKind { kOther, kAudio, kPlaylist };

// By the extension after the name's last dot, in any letter case: mp3, flac,
// ogg, opus, m4a, aac, wma, wav, aiff, ape, mpc, wv, mod, xm, it and s3m are
// audio; m3u, m3u8 and pls are playlists.
FileKind FileKindOf(std::string_view name);

// The extension in lowercase ASCII ("" when there is none or it is not
// ASCII letters and digits).
std::string_view LowerExtension(std::string_view name, char (&buffer)[8]);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_FILE_KINDS_H_
