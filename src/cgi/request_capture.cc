#include "cgi/request_capture.h"

namespace tunaro {

void CaptureRequest(SystemInterface& system, RequestInfo& request) {
  request.InputHandle = system.StandardInput();
  request.OutputHandle = system.StandardOutput();
  request.ContentLengthText = system.EnvironmentVariable("CONTENT_LENGTH");
  request.ContentType = system.EnvironmentVariable("CONTENT_TYPE");
  request.QueryString = system.EnvironmentVariable("QUERY_STRING");
  request.RequestMethod = system.EnvironmentVariable("REQUEST_METHOD");
  request.ScriptName = system.EnvironmentVariable("SCRIPT_NAME");
  // Beyond the five variables of the CGI request, only these four are read.
  // Three tell a request that another site's page made (request_origin.h).
  request.SecFetchSite = system.EnvironmentVariable("HTTP_SEC_FETCH_SITE");
  request.Origin = system.EnvironmentVariable("HTTP_ORIGIN");
  request.Host = system.EnvironmentVariable("HTTP_HOST");
  // And this one, which saves sending a cover the browser already holds.
  request.IfNoneMatch = system.EnvironmentVariable("HTTP_IF_NONE_MATCH");
}

}  // namespace tunaro
