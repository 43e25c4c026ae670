// The digest login (RFC 7616 with MD5 and qop=auth, as browsers, curl and
// home-automation systems speak it), checked whole: the answer must be for
// this request's target, each nonce is the server's own and expires, and each
// of its counts is taken once. A header captured from one request then opens
// neither another one nor the same one again.
#ifndef TUNARO_SERVER_ACCESS_DIGEST_CHECK_H_
#define TUNARO_SERVER_ACCESS_DIGEST_CHECK_H_

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "server/access/login_file.h"
#include "server/system/server_system.h"

namespace tunaro::server {

constexpr std::int64_t kNonceSeconds = 10 * 60;
// Beyond this many, the oldest nonce is forgotten (its client is asked to
// take a new one, without asking its user).
constexpr std::size_t kMostNonces = 4096;
// How far behind the highest count a count may come: a browser loading a
// page's images at once sends its counts in order, but they may arrive out
// of it.
constexpr std::uint32_t kCountWindow = 64;

class NonceBook {
 public:
  explicit NonceBook(ServerSystem& system) : system_(system) {}

  // A new nonce: 32 hex digits of random bytes.
  std::string Issue();
  // True the first time a count comes for a nonce of this run that has not
  // expired; false for an unknown nonce (given before a restart, or
  // forgotten), an expired one, a count 0, a count taken before, or one too
  // far behind the highest.
  bool Use(const std::string& nonce, std::uint32_t count);

 private:
  struct Entry {
    std::int64_t issued = 0;
    std::uint32_t highest = 0;
    std::uint64_t taken = 0;  // bit k: the count highest - k was taken
  };
  ServerSystem& system_;
  std::map<std::string, Entry> entries_;
  std::deque<std::string> order_;  // oldest first
};

// The request as the digest's "uri" must name it: CivetWeb's path (decoded
// once), and the query string as sent, when there is one.
struct DigestTarget {
  std::string method;
  std::string path;
  std::optional<std::string> query;
};

enum class DigestVerdict {
  kNone,   // no digest Authorization header, or one that cannot be read
  kWrong,  // an unknown user, a wrong answer, or an answer for another target
  kStale,  // the right answer, but its nonce expired or is unknown, or its count was taken
  kGood,
};

struct DigestCheck {
  DigestVerdict verdict = DigestVerdict::kNone;
  std::string user;  // kGood
};

// The answer a client gives with qop=auth: md5(HA1:nonce:nc:cnonce:auth:HA2),
// HA2 = md5(method:uri); HA1 is the login file's digest.
std::string DigestResponse(const std::string& ha1, const std::string& nonce, const std::string& nc,
                           const std::string& cnonce, const std::string& method,
                           const std::string& uri);

DigestCheck CheckDigest(const std::string& authorization, const DigestTarget& target,
                        const std::vector<LoginEntry>& logins, NonceBook& nonces);

// The WWW-Authenticate value that asks for a digest login with a new nonce;
// stale=true tells the client to retry with it without asking its user.
std::string DigestChallenge(const std::string& nonce, bool stale);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_DIGEST_CHECK_H_
