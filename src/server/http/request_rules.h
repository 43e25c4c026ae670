// What the server does with a request path, decided before CivetWeb looks at
// the disk: the remote's programs, the files of wwwroot\, or nothing.
#ifndef TUNARO_SERVER_HTTP_REQUEST_RULES_H_
#define TUNARO_SERVER_HTTP_REQUEST_RULES_H_

#include <string>

namespace tunaro::server {

enum class RequestKind {
  kRedirectToRemote,  // "/": to /cgi-bin/tunaro/tunaro
  kPair,              // "/pair": the pairing page, and the code posted to it
  kLogin,             // "/login": a browser asked for the password login
  kRunProgram,        // /cgi-bin/<folder>/tunaro or .../tunaro.exe
  kServeFile,         // a file under wwwroot\ by a plain name
  kRefuse,            // anything else: 404, nothing read
};

extern const char kRemotePath[];

// `path` is the request's path after one round of %-decoding and dot-segment
// removal (CivetWeb's local_uri). Strict on purpose: Windows treats trailing
// dots and blanks, "::$DATA", short "~1" names and backslashes as other
// spellings of a name, so names must be plain.
RequestKind ClassifyRequest(const std::string& path);

// A folder name under cgi-bin\ that may hold a served tunaro.exe.
bool IsProgramFolderName(const std::string& name);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_HTTP_REQUEST_RULES_H_
