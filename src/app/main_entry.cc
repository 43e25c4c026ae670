#include "app/main_entry.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "app/handle_request.h"
#include "app/status_answer.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "cgi/read_request.h"
#include "cgi/request_capture.h"
#include "cgi/request_info.h"
#include "cgi/response_writer.h"
#include "player/player_status.h"

namespace tunaro {

std::string ComposeErrorText(const std::string& description, std::int32_t number) {
  return description + " Error Number = " + (number >= 0 ? " " : "") + DecimalText(number);
}

int MainEntry(SystemInterface& system) {
  // The records of this run, each filled once by its own step.
  RequestInfo captured;
  Request request;
  Settings settings;
  PlayerStatus status;
  ResponseWriter out(system, 0);  // pointed at standard output once captured

  std::optional<RunError> failure;
  try {
    CaptureRequest(system, captured);
    out.SetOutput(captured.OutputHandle);
    ReadRequest(system, captured, request);
    HandleRequest(system, out, request, settings, status);
  } catch (const RunEndedEarly&) {
    // A normal end: the response is what was written.
  } catch (const RunError& error) {
    failure = error;
  } catch (const std::bad_alloc&) {
    failure = RunError(error_number::kOutOfMemory);
  } catch (const std::length_error&) {
    failure = RunError(error_number::kOutOfMemory);
  } catch (...) {
    // Whatever else escaped still gets a page, never an empty response.
    failure = RunError(error_number::kUnexpectedFailure);
  }
  if (failure) {
    captured.ErrorText = ComposeErrorText(failure->description(), failure->number());
    out.SetOutput(captured.OutputHandle);  // the handle is taken before anything can fail
    // ReadRequest knows the answer before anything can fail, reading the
    // request included.
    if (request.answer != Answer::kPage) {
      WriteStatusFailure(out, captured.ErrorText);
    } else {
      WriteInternalErrorPage(out, captured.ScriptName, captured.ErrorText);
    }
  }
  out.Flush();
  return 0;
}

}  // namespace tunaro
