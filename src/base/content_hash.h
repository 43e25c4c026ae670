// A quick 64-bit fingerprint of a block of bytes, to tell whether a file
// changed without keeping it. Not for anything an attacker must not forge.
#ifndef TUNARO_BASE_CONTENT_HASH_H_
#define TUNARO_BASE_CONTENT_HASH_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tunaro {

// Eight bytes at a time: the playlist file of a long list is megabytes, and
// a status read hashes it every time. Any change of a byte or of the length
// changes the result with overwhelming likelihood.
std::uint64_t ContentHash(std::string_view bytes);

// The 16 lowercase hex digits of a hash, most significant first.
std::string HashText(std::uint64_t hash);

}  // namespace tunaro

#endif  // TUNARO_BASE_CONTENT_HASH_H_
