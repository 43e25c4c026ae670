// The parts of a request the access rules read, from outside input: the Host
// header, the cookies, a digest Authorization header and a form field. Each
// reader takes any bytes and gives nothing for what it cannot read whole.
#ifndef TUNARO_SERVER_ACCESS_HTTP_FIELDS_H_
#define TUNARO_SERVER_ACCESS_HTTP_FIELDS_H_

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tunaro::server {

struct HostHeader {
  std::string name;         // lowercase; an IPv6 address keeps its brackets ("[::1]")
  std::optional<int> port;  // none when the header names none
};

// "name", "name:port", "[v6]" or "[v6]:port", blanks around allowed. A name
// of letters, digits, '-', '.' and '_' (a DNS name or an IPv4 address); a
// port of 1 to 5 digits up to 65535. Nothing for any other text.
std::optional<HostHeader> ParseHostHeader(std::string_view value);

// The values of every cookie called `name` in a Cookie header
// ("a=1; b=2"), in their order; a browser may send two of one name.
std::vector<std::string> CookieValues(std::string_view header, std::string_view name);

// The parameters of an Authorization header of the Digest scheme, by their
// names in lowercase, values unquoted. Nothing for another scheme, a broken
// list, or a parameter given twice (which of two would count is a guess a
// forger could use).
std::optional<std::map<std::string, std::string>> DigestParameters(std::string_view header);

// %-escapes decoded once (a broken one kept as it is), and '+' as a blank
// when `plus_is_blank` (a form's fields; a path keeps its '+').
std::string PercentDecoded(std::string_view text, bool plus_is_blank);

// The first field called `name` of a form's body
// (application/x-www-form-urlencoded), with "+" and %-escapes decoded (a
// broken escape is kept as it is). Nothing without one.
std::optional<std::string> FormField(std::string_view body, std::string_view name);

}  // namespace tunaro::server

#endif  // TUNARO_SERVER_ACCESS_HTTP_FIELDS_H_
