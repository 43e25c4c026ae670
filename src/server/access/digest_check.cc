#include "server/access/digest_check.h"

#include <cstddef>

#include "base/text_rules.h"
#include "server/access/hex_text.h"
#include "server/access/http_fields.h"
#include "server/access/md5.h"

namespace tunaro::server {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool NamesTarget(const std::string& uri, const DigestTarget& target) {
  const std::size_t mark = uri.find('?');
  if (PercentDecoded(uri.substr(0, mark), false) != target.path) return false;
  if (mark == std::string::npos) return !target.query.has_value();
  return target.query && uri.substr(mark + 1) == *target.query;
}

// 8 hex digits, as the count comes.
std::optional<std::uint32_t> ReadCount(const std::string& text) {
  if (text.size() != 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// Every character compared whatever the first difference.
bool SameAnswer(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned difference = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  }
  return difference == 0;
}

}  // namespace

std::string NonceBook::Issue() {
  std::string nonce = HexText(system_.RandomBytes(16));
  while (order_.size() >= kMostNonces) {
    entries_.erase(order_.front());
    order_.pop_front();
  }
  entries_[nonce] = Entry{system_.UnixTime(), 0, 0};
  order_.push_back(nonce);
  return nonce;
}

bool NonceBook::Use(const std::string& nonce, std::uint32_t count) {
  const auto found = entries_.find(nonce);
  if (found == entries_.end() || count == 0) return false;
  Entry& entry = found->second;
  const std::int64_t now = system_.UnixTime();
  if (now < entry.issued || now >= entry.issued + kNonceSeconds) return false;
  if (count > entry.highest) {
    const std::uint32_t step = count - entry.highest;
    entry.taken = step >= kCountWindow ? 0 : entry.taken << step;
    entry.taken |= 1;
    entry.highest = count;
    return true;
  }
  const std::uint32_t behind = entry.highest - count;
  if (behind >= kCountWindow || (entry.taken >> behind & 1) != 0) return false;
  entry.taken |= std::uint64_t{1} << behind;
  return true;
}

std::string DigestResponse(const std::string& ha1, const std::string& nonce, const std::string& nc,
                           const std::string& cnonce, const std::string& method,
                           const std::string& uri) {
  return Md5Hex(ha1 + ":" + nonce + ":" + nc + ":" + cnonce +
                ":auth:" + Md5Hex(method + ":" + uri));
}

DigestCheck CheckDigest(const std::string& authorization, const DigestTarget& target,
                        const std::vector<LoginEntry>& logins, NonceBook& nonces) {
  const auto parameters = DigestParameters(authorization);
  if (!parameters) return {};
  auto field = [&](const char* name) -> std::string {
    const auto found = parameters->find(name);
    return found == parameters->end() ? std::string() : found->second;
  };
  const std::string user = field("username"), nonce = field("nonce"), uri = field("uri"),
                    answer = ToLowerText(field("response")), cnonce = field("cnonce");
  const std::string algorithm = ToLowerText(field("algorithm"));
  const std::optional<std::uint32_t> count = ReadCount(field("nc"));
  // Only qop=auth: without it there is no count, and a header could be
  // replayed as often as its nonce lives.
  if (user.empty() || nonce.empty() || uri.empty() || cnonce.empty() || !count ||
      field("realm") != kLoginRealm || ToLowerText(field("qop")) != "auth" ||
      (!algorithm.empty() && algorithm != "md5")) {
    return {};
  }
  const LoginEntry* login = nullptr;
  for (const LoginEntry& entry : logins) {
    if (entry.user == user) login = &entry;
  }
  if (login == nullptr || !NamesTarget(uri, target)) return {DigestVerdict::kWrong, {}};
  const std::string expected = Md5Hex(login->md5_hex + ":" + nonce + ":" + field("nc") + ":" +
                                      cnonce + ":auth:" + Md5Hex(target.method + ":" + uri));
  if (!SameAnswer(answer, expected)) return {DigestVerdict::kWrong, {}};
  if (!nonces.Use(nonce, *count)) return {DigestVerdict::kStale, {}};
  return {DigestVerdict::kGood, user};
}

std::string DigestChallenge(const std::string& nonce, bool stale) {
  return std::string("Digest realm=\"") + kLoginRealm +
         "\", qop=\"auth\", algorithm=MD5, nonce=\"" + nonce + "\"" + (stale ? ", stale=true" : "");
}

}  // namespace tunaro::server
