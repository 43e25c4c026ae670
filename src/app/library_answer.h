// The music folders' answers: the folders, one folder's listing a page at a
// time, and the find (see cgi/read_request.h for the queries).
#ifndef TUNARO_APP_LIBRARY_ANSWER_H_
#define TUNARO_APP_LIBRARY_ANSWER_H_

#include "cgi/read_request.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// Reads tunaro.conf for the music folders and answers the request's JSON,
// or a refusal: 400 for a bad value, 403 for a path that the rules refuse or
// that leads out of the music folders, 404 for one that is not there. Sends
// the player nothing.
void AnswerLibraryRequest(SystemInterface& system, ResponseWriter& out, const Request& request);

}  // namespace tunaro

#endif  // TUNARO_APP_LIBRARY_ANSWER_H_
