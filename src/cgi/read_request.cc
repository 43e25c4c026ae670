#include "cgi/read_request.h"

#include "base/number_reader.h"
#include "base/run_error.h"
#include "base/text_rules.h"
#include "cgi/form_pairs.h"
#include "cgi/request_origin.h"
#include "cgi/url_decode.h"

namespace tunaro {
namespace {

// Where a key stands in the request.
enum class KeyForm {
  kWord,   // the whole query string, with no "="
  kValue,  // the query string up to its first "=", or whole; the value is the
           // rest, as it came (not decoded, and "&" does not end it)
  kField,  // a form field: the decoded values of every pair of that name
  kPair,   // the query string's first pair, up to its first "&": the name up
           // to its "=", or whole; the value is the rest, decoded
};

// Checks a key's value into the record; nothing when a query key has no "=".
using ReadValue = void (*)(std::optional<std::string_view> value, Request& request);

struct Key {
  std::string_view name;  // lower case
  KeyForm form;
  Answer answer;  // what a key of the query string asks for; a field changes none
  ReadValue read;
};

void Nothing(std::optional<std::string_view>, Request&) {}

template <Command kCommand>
void SetCommand(std::optional<std::string_view>, Request& request) {
  request.command = kCommand;
}

// Plain decimal digits with a value from 0 to `max`; nothing otherwise.
std::optional<std::int32_t> WholeNumber(std::optional<std::string_view> text, std::int32_t max) {
  if (!text || text->empty()) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> OnOff(std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  const std::string word = ToLowerText(*text);
  if (word == "on") return 1;
  if (word == "off") return 0;
  return std::nullopt;
}

void SetControl(Control control, std::optional<std::int32_t> value, std::string_view error,
                Request& request) {
  request.control = control;
  if (value) {
    request.value = *value;
  } else {
    request.error = std::string(error);
  }
}

void ReadVolume(std::optional<std::string_view> value, Request& request) {
  SetControl(Control::kVolume, WholeNumber(value, 100),
             "volume must be a whole number from 0 to 100", request);
}

void ReadSeek(std::optional<std::string_view> value, Request& request) {
  SetControl(Control::kSeek, WholeNumber(value, kMaxSeekSeconds),
             "seek must be whole seconds from 0 to 2147483", request);
}

void ReadShuffle(std::optional<std::string_view> value, Request& request) {
  SetControl(Control::kShuffle, OnOff(value), "shuffle must be on or off", request);
}

void ReadRepeat(std::optional<std::string_view> value, Request& request) {
  SetControl(Control::kRepeat, OnOff(value), "repeat must be on or off", request);
}

void ReadChoice(std::optional<std::string_view> value, Request& request) {
  request.choice = ReadEntryChoice(*value);
}

// The first bad value is the one the answer names.
void Refuse(std::string_view error, Request& request) {
  if (request.error.empty()) request.error = std::string(error);
}

// An entry's number from 1; 0 when the text is no such number.
std::int32_t EntryNumber(std::optional<std::string_view> text) {
  return WholeNumber(text, INT32_MAX).value_or(0);
}

std::string Decoded(std::optional<std::string_view> value) {
  return value ? UrlDecode(*value) : std::string();
}

void ReadLibrary(std::optional<std::string_view> value, Request& request) {
  request.text = Decoded(value);
  request.library = request.text.empty() ? LibraryAsk::kMusicFolders : LibraryAsk::kFolder;
}

void ReadFind(std::optional<std::string_view> value, Request& request) {
  request.library = LibraryAsk::kFind;
  request.text = Decoded(value);
}

void ReadAdd(std::optional<std::string_view> value, Request& request) {
  request.edit = Edit::kAdd;
  request.text = Decoded(value);
  if (request.text.empty()) Refuse("add needs a path: add=1/Artist/Album", request);
}

void ReadRemove(std::optional<std::string_view> value, Request& request) {
  request.edit = Edit::kRemove;
  request.entry = EntryNumber(value);
  if (request.entry == 0) Refuse("remove must be an entry number from 1", request);
}

void ReadMove(std::optional<std::string_view> value, Request& request) {
  request.edit = Edit::kMove;
  request.entry = EntryNumber(value);
  if (request.entry == 0) Refuse("move must be an entry number from 1", request);
  if (request.to == 0) Refuse("move needs to=M, the entry number it moves to, from 1", request);
}

void ReadClear(std::optional<std::string_view>, Request& request) { request.edit = Edit::kClear; }

void ReadCover(std::optional<std::string_view> value, Request& request) {
  if (!value) return;
  request.entry = EntryNumber(value);
  if (request.entry == 0) Refuse("cover must be an entry number from 1", request);
}

void ReadTo(std::optional<std::string_view> value, Request& request) {
  request.to = EntryNumber(value);
  if (request.to == 0) Refuse("to must be an entry number from 1", request);
}

void ReadAt(std::optional<std::string_view> value, Request& request) {
  request.at_next = ToLowerText(*value) == "next";
  if (!request.at_next) Refuse("at must be next", request);
}

void ReadTitle(std::optional<std::string_view> value, Request& request) {
  if (value->find_first_not_of(" \t\r\n\f") != std::string_view::npos) {
    request.title = std::string(*value);
  }
}

void ReadFrom(std::optional<std::string_view> value, Request& request) {
  const std::optional<std::int32_t> from = WholeNumber(value, INT32_MAX);
  request.from = static_cast<std::size_t>(from.value_or(0));
  if (!from) Refuse("from must be a whole number from 0", request);
}

// Every key the program knows.
constexpr Key kKeys[] = {
    {"play", KeyForm::kWord, Answer::kPage, SetCommand<Command::kPlay>},
    {"stop", KeyForm::kWord, Answer::kPage, SetCommand<Command::kStop>},
    {"previous", KeyForm::kWord, Answer::kPage, SetCommand<Command::kPrevious>},
    {"forward", KeyForm::kWord, Answer::kPage, SetCommand<Command::kForward>},
    {"pause", KeyForm::kWord, Answer::kPage, SetCommand<Command::kPause>},
    {"track", KeyForm::kWord, Answer::kPage, SetCommand<Command::kTrack>},
    {"status", KeyForm::kWord, Answer::kStatus, Nothing},
    // A bad value is refused with the status answer, never taken for a page.
    {"volume", KeyForm::kValue, Answer::kStatus, ReadVolume},
    {"seek", KeyForm::kValue, Answer::kStatus, ReadSeek},
    {"shuffle", KeyForm::kValue, Answer::kStatus, ReadShuffle},
    {"repeat", KeyForm::kValue, Answer::kStatus, ReadRepeat},
    {"library", KeyForm::kPair, Answer::kLibrary, ReadLibrary},
    {"find", KeyForm::kPair, Answer::kLibrary, ReadFind},
    {"add", KeyForm::kPair, Answer::kStatus, ReadAdd},
    {"remove", KeyForm::kPair, Answer::kStatus, ReadRemove},
    {"move", KeyForm::kPair, Answer::kStatus, ReadMove},
    {"clear", KeyForm::kWord, Answer::kStatus, ReadClear},
    {"cover", KeyForm::kPair, Answer::kCover, ReadCover},
    {"mp3list", KeyForm::kField, Answer::kPage, ReadChoice},
    {"at", KeyForm::kField, Answer::kPage, ReadAt},
    {"to", KeyForm::kField, Answer::kPage, ReadTo},
    {"title", KeyForm::kField, Answer::kPage, ReadTitle},
    {"from", KeyForm::kField, Answer::kPage, ReadFrom},
};

// The key that the query string names, and its value; nothing for a query
// string that names none (the page, with no command).
const Key* QueryKey(std::string_view query, std::optional<std::string_view>& value) {
  const std::string_view first_pair = query.substr(0, query.find('&'));
  for (const Key& key : kKeys) {
    // The part of the query string the key's form names it by.
    std::string_view named = key.form == KeyForm::kPair ? first_pair : query;
    const std::size_t equals = named.find('=');
    if (key.form == KeyForm::kField) continue;
    if (key.form == KeyForm::kWord && equals != std::string_view::npos) continue;
    if (ToLowerText(named.substr(0, equals)) != key.name) continue;
    if (equals != std::string_view::npos) value = named.substr(equals + 1);
    return &key;
  }
  return nullptr;
}

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

void ReadRequest(SystemInterface& system, RequestInfo& captured, Request& request) {
  request = Request{};
  std::optional<std::string_view> value;
  const Key* const key = QueryKey(captured.QueryString, value);
  if (key != nullptr) request.answer = key->answer;

  captured.ContentLength = RoundToInt32(ReadLeadingNumber(captured.ContentLengthText));
  if (IsCrossSiteRequest(captured)) {
    // Another site's page made the browser send this: the run goes on as a
    // plain look at the page.
    request = Request{};
    request.may_act = false;
    return;
  }
  FormPairs pairs;
  ResetFormPairs(pairs);
  if (captured.RequestMethod == "POST") {
    captured.RequestBody = ReadBody(system, captured.InputHandle, captured.ContentLength);
    if (ToLowerText(captured.ContentType).find("www-form-urlencoded") != std::string::npos) {
      ParsePairs(captured.RequestBody, pairs);
    }
  }
  ParsePairs(captured.QueryString, pairs);

  // The fields first: a key's reader may need one (move, its "to").
  for (const Key& field : kKeys) {
    if (field.form != KeyForm::kField) continue;
    const std::string text = FormValue(pairs, field.name);
    if (!text.empty()) field.read(text, request);
  }
  if (key != nullptr) key->read(value, request);
  request.if_none_match = captured.IfNoneMatch;
}

EntryChoice ReadEntryChoice(std::string_view text) {
  EntryChoice choice;
  const std::size_t dot = text.find('.');
  if (dot == std::string_view::npos) {
    choice.fault = error_number::kTypeMismatch;
    return choice;
  }
  // The list boxes write the position as plain digits; blanks around them and
  // a sign are tolerated, anything else is not a number.
  std::string_view digits = TrimBlanks(text.substr(0, dot));
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits = TrimBlanks(digits.substr(1));
  }
  if (digits.empty()) choice.fault = error_number::kTypeMismatch;
  std::int64_t number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') {
      choice.fault = error_number::kTypeMismatch;
      break;
    }
    number = number * 10 + (c - '0');
    if (number > (std::int64_t{1} << 32)) number = (std::int64_t{1} << 32) + 1;  // still too big
  }
  const std::int64_t index = (negative ? -number : number) - 1;
  if (choice.fault == 0 && (index < INT32_MIN || index > INT32_MAX)) {
    choice.fault = error_number::kOverflow;
  }
  if (choice.fault != 0) return choice;
  choice.index = static_cast<std::int32_t>(index);

  if (text.substr(dot + 1, 1) != " ") return choice;
  const std::string_view title = text.substr(dot + 2);
  if (title.find_first_not_of(" \t\r\n\f") != std::string_view::npos) {
    choice.title = std::string(title);
  }
  return choice;
}

}  // namespace tunaro
