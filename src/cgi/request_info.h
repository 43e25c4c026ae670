// The CGI request of one run, as the web server handed it over; what it asks
// for is read from it once, by ReadRequest (read_request.h).
#ifndef TUNARO_CGI_REQUEST_INFO_H_
#define TUNARO_CGI_REQUEST_INFO_H_

#include <cstdint>
#include <string>

#include "platform/system_interface.h"

namespace tunaro {

struct RequestInfo {
  std::string ContentLengthText;  // CONTENT_LENGTH as received
  std::string ContentType;        // CONTENT_TYPE
  std::string QueryString;        // QUERY_STRING, not decoded
  std::string RequestMethod;      // REQUEST_METHOD
  std::string ScriptName;         // SCRIPT_NAME
  // What the browser says of where the request comes from (see
  // request_origin.h), and which cover it holds: the only variables read
  // beyond the five of the CGI request.
  std::string SecFetchSite;        // HTTP_SEC_FETCH_SITE
  std::string Origin;              // HTTP_ORIGIN
  std::string Host;                // HTTP_HOST
  std::string IfNoneMatch;         // HTTP_IF_NONE_MATCH: the cover a browser holds
  std::int32_t ContentLength = 0;  // the number in ContentLengthText, as ReadRequest read it
  Handle InputHandle = 0;
  Handle OutputHandle = 0;
  std::string ErrorText;    // composed by the error trap only
  std::string RequestBody;  // the POST body as ReadRequest read it
};

}  // namespace tunaro

#endif  // TUNARO_CGI_REQUEST_INFO_H_
