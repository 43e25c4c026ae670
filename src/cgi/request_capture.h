// Taking the CGI request into RequestInfo and the form pairs.
#ifndef TUNARO_CGI_REQUEST_CAPTURE_H_
#define TUNARO_CGI_REQUEST_CAPTURE_H_

#include <cstddef>

#include "cgi/form_pairs.h"
#include "cgi/request_info.h"
#include "platform/system_interface.h"

namespace tunaro {

// The largest request body the program accepts. A form of this program posts
// one list box choice, so anything near this is not one of our forms.
constexpr std::int32_t kMaxRequestBody = 1 << 20;

// Stores the standard handles, the five CGI variables and the three that tell
// where the request comes from, reads the number in CONTENT_LENGTH (RunError 6
// outside the 32-bit range) and empties the pairs.
void CaptureRequest(SystemInterface& system, RequestInfo& request, FormPairs& pairs);

// For a POST, reads the body until CONTENT_LENGTH bytes have arrived or the
// input ends, and parses it when it is urlencoded; then parses the query
// string. A negative length raises RunError 5, one above kMaxRequestBody
// RunError 65002, both before anything is read or allocated. A request that
// another site's page made (IsCrossSiteRequest) reads nothing and loses its
// query string: it must not act.
void ReadFormData(SystemInterface& system, RequestInfo& request, FormPairs& pairs);

}  // namespace tunaro

#endif  // TUNARO_CGI_REQUEST_CAPTURE_H_
