// The page an unpaired browser gets: wwwroot\pair.html, with a note on what
// just happened where the page marks its place for one. The page is ours and
// loads nothing else; it carries none of the remote's data.
#ifndef TUNARO_SERVER_HTTP_PAIRING_PAGE_H_
#define TUNARO_SERVER_HTTP_PAIRING_PAGE_H_

#include <optional>
#include <string>

namespace tunaro::server {

// In the program's folder.
extern const char kPairingPageFile[];

enum class PairingNote {
  kNone,
  kWrongCode,
  kPastCode,         // used or expired
  kWaiting,          // too many wrong tries
  kNoPasswordLogin,  // /login on a server without a login file
};

// The page's text (the file's, or a plain one of the same use when the file
// is missing) with the note in place of its "<!--note-->".
std::string PairingPageText(const std::optional<std::string>& page_file, PairingNote note);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_PAIRING_PAGE_H_
