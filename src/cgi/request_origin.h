// Whether a request was made by another site's page: a link, a form, an
// image or a frame on a page the user opened elsewhere makes the browser send
// the request with the user's saved login, so it must not act.
#ifndef TUNARO_CGI_REQUEST_ORIGIN_H_
#define TUNARO_CGI_REQUEST_ORIGIN_H_

#include <string_view>

#include "cgi/request_info.h"

namespace tunaro {

// True when the browser says another site made the request (Sec-Fetch-Site
// "cross-site"), or, from a browser too old to say so, when a POST carries an
// Origin whose host and port are not those the request was sent to (Host).
// A request with neither header (a script, curl, an old browser, a typed
// address) is not.
bool IsCrossSiteRequest(const RequestInfo& request);

// Whether an Origin header ("http://host:port", "null") names the host and
// port of a Host header ("host:port"): host names in any letter case, a
// missing port being the scheme's default.
bool OriginMatchesHost(std::string_view origin, std::string_view host);

}  // namespace tunaro

#endif  // TUNARO_CGI_REQUEST_ORIGIN_H_
