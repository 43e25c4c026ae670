// What a request asks for, read once from the captured request against one
// table of the keys the program knows, into one record of checked, typed
// fields. Nothing after ReadRequest looks at the query string, the body or
// the form pairs again.
//
// The keys (letter case ignored in each):
//   play, stop, previous, forward, pause, track   the whole query string: a
//                                                 command of the page's links
//   status                                        the whole query string: the
//                                                 status answer (JSON)
//   volume=N, seek=S, shuffle=on|off, repeat=...  the query string from its
//                                                 start: a control, answered
//                                                 with the status
//   MP3List                                       a form field, of the body or
//                                                 the query string: the list
//                                                 box choice, "3. Some Title"
//   library, library=PATH, find=WORDS             the query string's first
//                                                 pair: the music folders
//                                                 (JSON)
//   add=PATH, remove=N, move=N, clear             the first pair (clear the
//                                                 whole query string): a
//                                                 playlist edit, answered
//                                                 with the status
//   cover, cover=N                                the first pair: a cover
//   at, to, title, from                           form fields: the edits' and
//                                                 the listing's further values
//
// A first pair's value ends at the first "&" and is URL-decoded; the pairs
// after it are form fields.
#ifndef TUNARO_CGI_READ_REQUEST_H_
#define TUNARO_CGI_READ_REQUEST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cgi/request_info.h"
#include "platform/system_interface.h"

namespace tunaro {

// The largest request body the program accepts. A form of this program posts
// one list box choice, so anything near this is not one of our forms.
constexpr std::int32_t kMaxRequestBody = 1 << 20;

// The longest jump that fits the player's argument in milliseconds.
constexpr std::int32_t kMaxSeekSeconds = 2147483;

// Which answer the request gets: the HTML page (or panel); the status
// object (for a control or an edit too); the music folders' JSON; a cover.
enum class Answer { kPage, kStatus, kLibrary, kCover };

// The command words of the page's links and forms.
enum class Command { kNone, kPlay, kStop, kPrevious, kForward, kPause, kTrack };

// The controls of the status answer.
enum class Control { kNone, kVolume, kSeek, kShuffle, kRepeat };

// What the music folders' answer lists.
enum class LibraryAsk { kMusicFolders, kFolder, kFind };

// The changes of the playlist.
enum class Edit { kNone, kAdd, kRemove, kMove, kClear };

// The list box choice: the options carry no value attribute, so a browser
// posts the option's text, the entry's position from 1, ". " and its title.
struct EntryChoice {
  // The zero-based index: the number before the first "." minus 1.
  std::int32_t index = 0;
  // Not 0: there is no plain number before the first "." (RunError 13) or it
  // is out of range (6). The choice fails the run when it is acted on, so the
  // page of a closed player still shows.
  std::int32_t fault = 0;
  // The text after the first "." and one blank, unless it is all white space:
  // "3. Some Title" has "Some Title"; "3.", "3.x" and "3. " have none.
  std::optional<std::string> title;
};

struct Request {
  // False when another site's page made the request (IsCrossSiteRequest):
  // then it asks for nothing but the page as the player is, and neither its
  // query string nor its body is read.
  bool may_act = true;
  Answer answer = Answer::kPage;
  Command command = Command::kNone;
  // MP3List, when it is not empty; both values, joined with ";", when it
  // comes twice (only the first one's position counts).
  std::optional<EntryChoice> choice;
  Control control = Control::kNone;
  // The control's value: the volume in percent (0 to 100), the seek in whole
  // seconds (0 to kMaxSeekSeconds), 1 for on and 0 for off.
  std::int32_t value = 0;
  LibraryAsk library = LibraryAsk::kMusicFolders;
  Edit edit = Edit::kNone;
  // The PATH of library= and add=, or the WORDS of find=, decoded: UTF-8 by
  // the answers' rules, which the room that uses it checks.
  std::string text;
  // remove=N, move=N, cover=N: the entry from 1; 0 for cover: the current one.
  std::int32_t entry = 0;
  std::int32_t to = 0;   // to=M: where a moved entry stands, from 1; 0: none given
  bool at_next = false;  // at=next: an add goes after the current entry
  // title=: the entry's title as the page shows it, decoded (UTF-8); none
  // when it is missing or all white space.
  std::optional<std::string> title;
  std::size_t from = 0;       // from=N: where a folder's page starts
  std::string if_none_match;  // the request's If-None-Match
  // Not empty: a value is missing or bad, and this says which parameter and
  // what it takes. Nothing may be sent then.
  std::string error;
};

// Reads `captured` into `request`, in this order: the key of the query
// string, and with it the answer it asks for; the number in CONTENT_LENGTH
// (RunError 6 outside 32 bits, on any request); whether another site made the
// request; for a POST, the body until CONTENT_LENGTH bytes have arrived or the
// input ends (a negative length raises RunError 5, one above kMaxRequestBody
// 65002, before anything is read); the form pairs of an urlencoded body, then
// of the query string (a malformed escape raises 65001); the fields. The
// answer is set before anything can fail, so the error trap answers a failed
// status request in JSON. The number and the body are kept in `captured`.
void ReadRequest(SystemInterface& system, RequestInfo& captured, Request& request);

// The list box choice of an option text (see EntryChoice).
EntryChoice ReadEntryChoice(std::string_view text);

}  // namespace tunaro

#endif  // TUNARO_CGI_READ_REQUEST_H_
