#include "library/image_type.h"

namespace tunaro {

std::string_view ImageMediaType(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (bytes.substr(0, 3) == "\xFF\xD8\xFF"sv) return "image/jpeg";
  if (bytes.substr(0, 8) == "\x89PNG\r\n\x1A\n"sv) return "image/png";
  if (bytes.substr(0, 6) == "GIF87a"sv || bytes.substr(0, 6) == "GIF89a"sv) return "image/gif";
  if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF"sv && bytes.substr(8, 4) == "WEBP"sv) {
    return "image/webp";
  }
  // "BM", then the file's size and two reserved words; a header of at least
  // a BITMAPCOREHEADER's size.
  if (bytes.size() >= 26 && bytes.substr(0, 2) == "BM"sv) return "image/bmp";
  return {};
}

}  // namespace tunaro
