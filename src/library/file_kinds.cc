#include "library/file_kinds.h"

namespace tunaro {
namespace {

constexpr std::string_view kAudio[] = {"mp3",  "flac", "ogg", "opus", "m4a", "aac", "wma", "wav",
                                       "aiff", "ape",  "mpc", "wv",   "mod", "xm",  "it",  "s3m"};
constexpr std::string_view kPlaylists[] = {"m3u", "m3u8", "pls"};

}  // namespace

std::string_view LowerExtension(std::string_view name, char (&buffer)[8]) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  const std::string_view extension = name.substr(dot + 1);
  if (extension.empty() || extension.size() >= sizeof buffer) return {};
  for (std::size_t i = 0; i < extension.size(); ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return {};
    buffer[i] = c;
  }
  return std::string_view(buffer, extension.size());
}

FileKind FileKindOf(std::string_view name) {
  char buffer[8];
  const std::string_view extension = LowerExtension(name, buffer);
  if (extension.empty()) return FileKind::kOther;
  for (std::string_view audio : kAudio) {
    if (extension == audio) return FileKind::kAudio;
  }
  for (std::string_view playlist : kPlaylists) {
    if (extension == playlist) return FileKind::kPlaylist;
  }
  return FileKind::kOther;
}

}  // namespace tunaro
