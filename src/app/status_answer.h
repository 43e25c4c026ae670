// The status answer: JSON instead of a page, for the page script and anyone
// else who drives the player (see cgi/read_request.h for the queries).
#ifndef TUNARO_APP_STATUS_ANSWER_H_
#define TUNARO_APP_STATUS_ANSWER_H_

#include <string>

#include "cgi/read_request.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// A request with an error answers "Status: 400 Bad Request" and the error
// object, having sent nothing. Otherwise the control, if any, is sent and
// waited for, then the status object is read and written; when the player is
// not running, {"running": false}. Nothing is written before the answer is
// complete, so a player that hangs leaves only the failure's answer.
void AnswerStatusRequest(SystemInterface& system, ResponseWriter& out, const Request& request);

// ReplaceOutput with "Status: 500 Internal Server Error" and the error object,
// so that a client reading JSON gets JSON when the run fails (a hung player).
void WriteStatusFailure(ResponseWriter& out, const std::string& error_text);

}  // namespace tunaro

#endif  // TUNARO_APP_STATUS_ANSWER_H_
