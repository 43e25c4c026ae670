#include "cgi/request_capture.h"

#include "base/number_reader.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "cgi/request_origin.h"

namespace tunaro {

void CaptureRequest(SystemInterface& system, RequestInfo& request, FormPairs& pairs) {
  request.InputHandle = system.StandardInput();
  request.OutputHandle = system.StandardOutput();
  request.ContentLengthText = system.EnvironmentVariable("CONTENT_LENGTH");
  request.ContentType = system.EnvironmentVariable("CONTENT_TYPE");
  request.QueryString = system.EnvironmentVariable("QUERY_STRING");
  request.RequestMethod = system.EnvironmentVariable("REQUEST_METHOD");
  request.ScriptName = system.EnvironmentVariable("SCRIPT_NAME");
  // Beyond the five variables of the CGI request, only these three are read:
  // they tell a request that another site's page made (request_origin.h).
  request.SecFetchSite = system.EnvironmentVariable("HTTP_SEC_FETCH_SITE");
  request.Origin = system.EnvironmentVariable("HTTP_ORIGIN");
  request.Host = system.EnvironmentVariable("HTTP_HOST");
  request.ContentLength = RoundToInt32(ReadLeadingNumber(request.ContentLengthText));
  ResetFormPairs(pairs);
}

namespace {

// Reads until `length` bytes have arrived or the input ends: a server may hand
// the body over in several pieces.
std::string ReadBody(SystemInterface& system, Handle input, std::int32_t length) {
  if (length < 0) throw RunError(error_number::kInvalidArgument);
  if (length > kMaxRequestBody) throw RunError(error_number::kRequestBodyTooLarge);
  std::string body(static_cast<std::size_t>(length), '\0');
  std::size_t have = 0;
  while (have < body.size()) {
    const std::size_t got = system.ReadInput(input, body.data() + have, body.size() - have);
    if (got == 0) break;
    have += got;
  }
  body.resize(have);
  return body;
}

}  // namespace

void ReadFormData(SystemInterface& system, RequestInfo& request, FormPairs& pairs) {
  if (IsCrossSiteRequest(request)) {
    // Another site's page made the browser send this: the run goes on as a
    // plain look at the page, with no command and no form fields.
    request.QueryString.clear();
    return;
  }
  if (request.RequestMethod == "POST") {
    request.RequestBody = ReadBody(system, request.InputHandle, request.ContentLength);
    if (ToLowerText(request.ContentType).find("www-form-urlencoded") != std::string::npos) {
      ParsePairs(request.RequestBody, pairs);
    }
  }
  ParsePairs(request.QueryString, pairs);
}

}  // namespace tunaro
