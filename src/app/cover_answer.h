// The cover of the current entry, or of entry N (see cgi/read_request.h).
#ifndef TUNARO_APP_COVER_ANSWER_H_
#define TUNARO_APP_COVER_ANSWER_H_

#include "cgi/read_request.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// Has the player write its playlist file for the entry's file, and answers
// its cover (library/cover_choice.h): the picture's bytes with their
// Content-type, an ETag of them and a private hour in caches; "304 Not
// Modified" without them when the request's If-None-Match holds that ETag.
// A refusal is a JSON error: 400 for a bad value, 404 for a closed player,
// no such entry or no cover, 403 for an entry whose file lies outside the
// music folders (nothing of it is read). Sends WritePlaylist and what
// locating the playlist file takes, nothing else.
void AnswerCoverRequest(SystemInterface& system, ResponseWriter& out, const Request& request);

// Whether an If-None-Match header holds `etag` (in its quotes): one of its
// comma-separated tags, a weak one ("W/") too, or "*".
bool MatchesEtag(std::string_view if_none_match, std::string_view etag);

}  // namespace tunaro

#endif  // TUNARO_APP_COVER_ANSWER_H_
