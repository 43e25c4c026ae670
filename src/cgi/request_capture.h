// Taking the CGI request into RequestInfo, as the web server hands it over.
#ifndef TUNARO_CGI_REQUEST_CAPTURE_H_
#define TUNARO_CGI_REQUEST_CAPTURE_H_

#include "cgi/request_info.h"
#include "platform/system_interface.h"

namespace tunaro {

// Stores the standard handles, the five CGI variables and the three that tell
// where the request comes from, as texts; ReadRequest reads them.
void CaptureRequest(SystemInterface& system, RequestInfo& request);

}  // namespace tunaro

#endif  // TUNARO_CGI_REQUEST_CAPTURE_H_
