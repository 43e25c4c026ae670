// The playlist's edits: add, remove, move and clear (see cgi/read_request.h),
// each answered with the status read after it.
#ifndef TUNARO_APP_EDIT_ANSWER_H_
#define TUNARO_APP_EDIT_ANSWER_H_

#include "cgi/read_request.h"
#include "cgi/response_writer.h"
#include "platform/system_interface.h"

namespace tunaro {

// Everything that can refuse the request is looked at before anything
// changes, so a refusal leaves the playlist as it was: 400 for a bad value,
// 403 for a path that the rules refuse or that leads out of the music
// folders, 404 for what is not there (a path, an entry, a title no entry
// shows). Then the edit, under the playlist file lock and ended with a
// WritePlaylist; then the status object with what the edit did. A closed
// player answers {"running": false}. An add the player stopped taking part
// of the way answers 500 with how many entries it added.
void AnswerEditRequest(SystemInterface& system, ResponseWriter& out, const Request& request);

}  // namespace tunaro

#endif  // TUNARO_APP_EDIT_ANSWER_H_
