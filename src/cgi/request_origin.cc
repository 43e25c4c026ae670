#include "cgi/request_origin.h"

#include "base/text_rules.h"

namespace tunaro {
namespace {

struct HostAndPort {
  std::string host;  // lower case; an IPv6 address keeps its brackets
  std::string_view port;
};

// "name", "name:8080", "[::1]", "[::1]:8080".
HostAndPort SplitHost(std::string_view text, std::string_view default_port) {
  const std::size_t bracket = text.rfind(']');
  const std::size_t colon = text.rfind(':');
  const bool has_port =
      colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket);
  HostAndPort split{ToLowerText(has_port ? text.substr(0, colon) : text),
                    has_port ? text.substr(colon + 1) : default_port};
  if (split.port.empty()) split.port = default_port;
  return split;
}

}  // namespace

bool OriginMatchesHost(std::string_view origin, std::string_view host) {
  const std::size_t scheme_end = origin.find("://");
  if (scheme_end == std::string_view::npos || host.empty()) return false;  // "null" among them
  const std::string scheme = ToLowerText(origin.substr(0, scheme_end));
  const std::string_view default_port = scheme == "https" ? "443" : "80";
  std::string_view authority = origin.substr(scheme_end + 3);
  if (authority.find_first_of("/?#@") != std::string_view::npos) return false;
  const HostAndPort from = SplitHost(authority, default_port);
  const HostAndPort to = SplitHost(host, default_port);
  return from.host == to.host && from.port == to.port;
}

bool IsCrossSiteRequest(const RequestInfo& request) {
  if (request.SecFetchSite == "cross-site") return true;
  if (!request.SecFetchSite.empty()) return false;  // "same-origin", "same-site", "none"
  return request.RequestMethod == "POST" && !request.Origin.empty() &&
         !OriginMatchesHost(request.Origin, request.Host);
}

}  // namespace tunaro
