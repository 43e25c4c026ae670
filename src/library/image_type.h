// The kind of a picture, told by its first bytes, never by a name or a tag.
#ifndef TUNARO_LIBRARY_IMAGE_TYPE_H_
#define TUNARO_LIBRARY_IMAGE_TYPE_H_

#include <string_view>

namespace tunaro {

// "image/jpeg", "image/png", "image/gif", "image/webp" or "image/bmp"; empty
// for anything else.
std::string_view ImageMediaType(std::string_view bytes);

}  // namespace tunaro

#endif  // TUNARO_LIBRARY_IMAGE_TYPE_H_
