#include "harness/cgi.h"

#include "harness/wine_prefix.h"

namespace harness {
namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void SetOrRemove(Environment* environment, const char* name,
                 const std::optional<std::string>& value) {
  if (value) {
    (*environment)[name] = *value;
  } else {
    environment->erase(name);
  }
}

}  // namespace

CgiRequest CgiRequest::Get(const std::string& exe, const std::string& query_string) {
  CgiRequest request;
  request.exe = exe;
  request.request_method = "GET";
  request.query_string = query_string;
  request.script_name = kDefaultScriptName;
  return request;
}

CgiRequest CgiRequest::Post(const std::string& exe, const std::string& body) {
  CgiRequest request;
  request.exe = exe;
  request.request_method = "POST";
  request.query_string = "";
  request.script_name = kDefaultScriptName;
  request.content_type = "application/x-www-form-urlencoded";
  request.content_length = std::to_string(body.size());
  request.body = body;
  return request;
}

CgiResult RunCgi(const CgiRequest& request) {
  ProcessOptions options = SharedPrefix().WineProcess(request.exe, {});
  SetOrRemove(&options.environment, "CONTENT_LENGTH", request.content_length);
  SetOrRemove(&options.environment, "CONTENT_TYPE", request.content_type);
  SetOrRemove(&options.environment, "QUERY_STRING", request.query_string);
  SetOrRemove(&options.environment, "REQUEST_METHOD", request.request_method);
  SetOrRemove(&options.environment, "SCRIPT_NAME", request.script_name);
  for (const auto& [name, value] : request.extra_environment) options.environment[name] = value;
  options.working_directory =
      request.working_directory.empty() ? DirectoryOf(request.exe) : request.working_directory;
  if (request.split_at && *request.split_at < request.body.size()) {
    options.input_pieces = {request.body.substr(0, *request.split_at),
                            request.body.substr(*request.split_at)};
  } else {
    options.input_pieces = {request.body};
  }
  options.pause = request.pause;
  options.close_input = request.close_input;
  options.output_to_file = request.output_to_file;
  options.timeout = request.timeout;
  options.progress = request.progress;
  return RunProcess(options);
}

}  // namespace harness
