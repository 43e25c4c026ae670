#include "cgi/read_request.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "cgi/request_capture.h"
#include "cgi/request_origin.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

struct Captured {
  RequestInfo request;  // as the web server handed it over
  Request read;         // what it asks for
};

Captured Capture(FakeSystem& system) {
  Captured c;
  CaptureRequest(system, c.request);
  ReadRequest(system, c.request, c.read);
  return c;
}

// What a GET with `query` asks for.
Request Read(const std::string& query) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "GET"}, {"QUERY_STRING", query}};
  return Capture(system).read;
}

// The choice's index, or "fault N".
std::string Position(const std::optional<EntryChoice>& choice) {
  if (!choice) return "none";
  return choice->fault != 0 ? "fault " + std::to_string(choice->fault)
                            : std::to_string(choice->index);
}

std::int32_t RaisedNumber(FakeSystem& system) {
  try {
    Capture(system);
  } catch (const RunError& error) {
    return error.number();
  }
  return 0;
}

TEST(RequestCaptureTest, GetParsesOnlyTheQueryString) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "GET"},
                        {"QUERY_STRING", "a=1&MP3List=2.+Beta"},
                        {"SCRIPT_NAME", "/cgi-bin/tunaro/tunaro"}};
  system.input_pieces = {"MP3List=9.+x"};
  Captured c = Capture(system);
  EXPECT_EQ(system.read_requests, 0);
  EXPECT_EQ(Position(c.read.choice), "1");
  EXPECT_EQ(c.read.choice->title, "Beta");
  EXPECT_EQ(c.request.ScriptName, "/cgi-bin/tunaro/tunaro");
  EXPECT_EQ(c.request.OutputHandle, FakeSystem::kOutput);
}

TEST(RequestCaptureTest, OnlyAnUpperCasePostReadsTheBody) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "post"},
                        {"CONTENT_LENGTH", "12"},
                        {"CONTENT_TYPE", "application/x-www-form-urlencoded"}};
  system.input_pieces = {"MP3List=3.+x"};
  Captured c = Capture(system);
  EXPECT_EQ(system.read_requests, 0);
  EXPECT_FALSE(c.read.choice.has_value());
}

TEST(RequestCaptureTest, UrlencodedBodyPairsComeBeforeTheQueryString) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "POST"},
                        {"CONTENT_LENGTH", "21"},
                        {"CONTENT_TYPE", "APPLICATION/X-WWW-FORM-URLENCODED"},
                        {"QUERY_STRING", "q=2&mp3list=5.+Other"}};
  system.input_pieces = {"MP3List=3.+Some+Title"};
  Captured c = Capture(system);
  EXPECT_EQ(c.request.RequestBody, "MP3List=3.+Some+Title");
  EXPECT_EQ(Position(c.read.choice), "2");
  EXPECT_EQ(c.read.choice->title, "Some Title;5. Other");
}

TEST(RequestCaptureTest, OtherContentTypesAreReadButNotParsed) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "POST"},
                        {"CONTENT_LENGTH", "12"},
                        {"CONTENT_TYPE", "multipart/form-data"}};
  system.input_pieces = {"MP3List=1.+a"};
  Captured c = Capture(system);
  EXPECT_EQ(c.request.RequestBody, "MP3List=1.+a");
  EXPECT_FALSE(c.read.choice.has_value());
}

TEST(RequestCaptureTest, ReadsABodyThatArrivesInPieces) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "POST"},
                        {"CONTENT_LENGTH", "21"},
                        {"CONTENT_TYPE", "application/x-www-form-urlencoded"}};
  system.input_pieces = {"MP3List=3.+", "Some", "+Title", "ignored"};
  Captured c = Capture(system);
  EXPECT_EQ(c.request.RequestBody, "MP3List=3.+Some+Title");
}

TEST(RequestCaptureTest, StopsAtTheEndOfInputAndAtTheLength) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", "100"}};
  system.input_pieces = {"a=1", "&b=2"};
  EXPECT_EQ(Capture(system).request.RequestBody, "a=1&b=2");

  FakeSystem no_length;
  no_length.environment = {{"REQUEST_METHOD", "POST"}};
  no_length.input_pieces = {"a=1"};
  EXPECT_EQ(Capture(no_length).request.RequestBody, "");
}

TEST(RequestCaptureTest, ContentLengthForms) {
  struct Case {
    const char* text;
    std::int32_t length;
  } cases[] = {{"12abc", 12}, {"1 2", 12}, {"", 0}, {"none", 0}, {"&H10", 16}, {"2.5", 2}};
  for (const Case& c : cases) {
    FakeSystem system;
    system.environment = {{"CONTENT_LENGTH", c.text}};
    EXPECT_EQ(Capture(system).request.ContentLength, c.length) << c.text;
  }
}

TEST(RequestCaptureTest, BadLengthsFailBeforeAnythingIsRead) {
  FakeSystem overflow;  // even on a GET
  overflow.environment = {{"CONTENT_LENGTH", "99999999999"}};
  EXPECT_EQ(RaisedNumber(overflow), 6);

  FakeSystem negative;
  negative.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", "-1"}};
  EXPECT_EQ(RaisedNumber(negative), 5);
  EXPECT_EQ(negative.read_requests, 0);

  FakeSystem huge;
  huge.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", "2000000000"}};
  EXPECT_EQ(RaisedNumber(huge), 65002);
  EXPECT_EQ(huge.read_requests, 0);

  FakeSystem limit;
  limit.environment = {{"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", "1048576"}};
  EXPECT_EQ(RaisedNumber(limit), 0);
  limit.environment["CONTENT_LENGTH"] = "1048577";
  EXPECT_EQ(RaisedNumber(limit), 65002);
}

TEST(ReadRequestTest, CommandWordsAreTheWholeQueryString) {
  const std::pair<const char*, Command> rows[] = {
      {"play", Command::kPlay},         {"PLAY", Command::kPlay},       {"Stop", Command::kStop},
      {"previous", Command::kPrevious}, {"forward", Command::kForward}, {"pause", Command::kPause},
      {"track", Command::kTrack},       {"play&x=1", Command::kNone},   {" play", Command::kNone},
      {"play=1", Command::kNone},       {"plays", Command::kNone},      {"", Command::kNone},
  };
  for (const auto& [query, command] : rows) {
    const Request read = Read(query);
    EXPECT_EQ(read.command, command) << query;
    EXPECT_EQ(read.answer, Answer::kPage) << query;
  }
}

TEST(ReadRequestTest, StatusWordsControlsAndRefusals) {
  for (const char* page :
       {"", "play", "status&x", "statuses", "status=1", "volumes=5", " status"}) {
    EXPECT_EQ(Read(page).answer, Answer::kPage) << page;
  }
  const Request status = Read("STATUS");
  EXPECT_EQ(status.answer, Answer::kStatus);
  EXPECT_EQ(status.control, Control::kNone);
  EXPECT_EQ(status.error, "");

  struct Row {
    const char* query;
    Control control;
    std::int32_t value;
    const char* error;
  } rows[] = {
      {"seek=2147483", Control::kSeek, 2147483, ""},
      {"seek=0002147484", Control::kSeek, 0, "seek must be whole seconds from 0 to 2147483"},
      {"seek=99999999999999999999", Control::kSeek, 0,
       "seek must be whole seconds from 0 to 2147483"},
      {"volume=+5", Control::kVolume, 0, "volume must be a whole number from 0 to 100"},
      {"volume", Control::kVolume, 0, "volume must be a whole number from 0 to 100"},
      {"volume=5&x=1", Control::kVolume, 0, "volume must be a whole number from 0 to 100"},
      {"Volume=007", Control::kVolume, 7, ""},
      {"shuffle=ON", Control::kShuffle, 1, ""},
      {"repeat=off", Control::kRepeat, 0, ""},
      {"repeat=", Control::kRepeat, 0, "repeat must be on or off"},
  };
  for (const Row& row : rows) {
    const Request read = Read(row.query);
    EXPECT_EQ(read.answer, Answer::kStatus) << row.query;
    EXPECT_EQ(read.control, row.control) << row.query;
    EXPECT_EQ(read.value, row.value) << row.query;
    EXPECT_EQ(read.error, row.error) << row.query;
  }
}

// Their first pair names the music folders' answers, the edits and the
// cover: its value ends at the first "&" and is decoded; the pairs after it
// are fields.
TEST(ReadRequestTest, TheFirstPairAndItsFields) {
  struct Row {
    const char* query;
    Answer answer;
    Edit edit;
    std::string text;
    std::int32_t entry;
    const char* error;
  } rows[] = {
      {"library", Answer::kLibrary, Edit::kNone, "", 0, ""},
      {"Library=1%2FA+b%26c&from=500", Answer::kLibrary, Edit::kNone, "1/A b&c", 0, ""},
      {"find=M%C3%BCller%20x", Answer::kLibrary, Edit::kNone, "M\xC3\xBCller x", 0, ""},
      {"add=1/a.mp3&at=NEXT", Answer::kStatus, Edit::kAdd, "1/a.mp3", 0, ""},
      {"add", Answer::kStatus, Edit::kAdd, "", 0, "add needs a path: add=1/Artist/Album"},
      {"add=1/a&at=end", Answer::kStatus, Edit::kAdd, "1/a", 0, "at must be next"},
      {"remove=3&title=A+%26+B", Answer::kStatus, Edit::kRemove, "", 3, ""},
      {"remove=-1", Answer::kStatus, Edit::kRemove, "", 0,
       "remove must be an entry number from 1"},
      {"move=2&to=7", Answer::kStatus, Edit::kMove, "", 2, ""},
      {"move=2", Answer::kStatus, Edit::kMove, "", 2,
       "move needs to=M, the entry number it moves to, from 1"},
      {"move=2&to=0", Answer::kStatus, Edit::kMove, "", 2, "to must be an entry number from 1"},
      {"clear", Answer::kStatus, Edit::kClear, "", 0, ""},
      {"cover", Answer::kCover, Edit::kNone, "", 0, ""},
      {"cover=12&x=1", Answer::kCover, Edit::kNone, "", 12, ""},
      {"cover=", Answer::kCover, Edit::kNone, "", 0, "cover must be an entry number from 1"},
      {"library=1&from=x", Answer::kLibrary, Edit::kNone, "1", 0,
       "from must be a whole number from 0"},
      // Other query strings are the page's.
      {"clear=1", Answer::kPage, Edit::kNone, "", 0, ""},
      {"clear&x", Answer::kPage, Edit::kNone, "", 0, ""},
      {"covers", Answer::kPage, Edit::kNone, "", 0, ""},
      {"x=1&add=1/a", Answer::kPage, Edit::kNone, "", 0, ""},
  };
  for (const Row& row : rows) {
    const Request read = Read(row.query);
    EXPECT_EQ(read.answer, row.answer) << row.query;
    EXPECT_EQ(read.edit, row.edit) << row.query;
    EXPECT_EQ(read.text, row.text) << row.query;
    EXPECT_EQ(read.entry, row.entry) << row.query;
    EXPECT_EQ(read.error, row.error) << row.query;
  }
  const Request listing = Read("library=1/A&from=500");
  EXPECT_EQ(listing.library, LibraryAsk::kFolder);
  EXPECT_EQ(listing.from, 500u);
  EXPECT_EQ(Read("library=").library, LibraryAsk::kMusicFolders);
  EXPECT_TRUE(Read("add=1/a&at=next").at_next);
  EXPECT_EQ(Read("move=2&to=7").to, 7);
  EXPECT_EQ(Read("remove=3&title=A+%26+B").title, "A & B");
  EXPECT_EQ(Read("remove=3&title=+%09").title, std::nullopt);

  // The fields come in a form body too; If-None-Match is kept for the cover.
  FakeSystem post;
  post.environment = {{"REQUEST_METHOD", "POST"},
                      {"QUERY_STRING", "move=4"},
                      {"CONTENT_LENGTH", "17"},
                      {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
                      {"HTTP_IF_NONE_MATCH", "\"0123\""}};
  post.input_pieces = {"to=1&title=Gamma"};
  const Request moved = Capture(post).read;
  EXPECT_EQ(moved.to, 1);
  EXPECT_EQ(moved.title, "Gamma");
  EXPECT_EQ(moved.error, "");
  EXPECT_EQ(moved.if_none_match, "\"0123\"");
}

// The error trap answers in the kind the request asked for, so the answer
// stands in the record before anything can fail; another site's request asks
// for nothing and is not read.
TEST(ReadRequestTest, TheAnswerIsKnownBeforeAnythingFails) {
  struct Row {
    const char* method;
    const char* query;
    const char* length;
    const char* site;
    std::int32_t raised;
    Answer answer;
    bool may_act;
  } rows[] = {
      {"GET", "volume=%zz", "", "", 65001, Answer::kStatus, true},
      {"POST", "status", "-1", "", 5, Answer::kStatus, true},
      // The length is read on every request, before the site is looked at.
      {"GET", "status", "99999999999", "cross-site", 6, Answer::kStatus, true},
      {"POST", "status", "-1", "cross-site", 0, Answer::kPage, false},
      {"GET", "x=%zz", "", "", 65001, Answer::kPage, true},
      {"GET", "add=1%zz", "", "", 65001, Answer::kStatus, true},
      {"GET", "cover", "", "cross-site", 0, Answer::kPage, false},
  };
  for (const Row& row : rows) {
    FakeSystem system;
    system.environment = {{"REQUEST_METHOD", row.method},
                          {"QUERY_STRING", row.query},
                          {"CONTENT_LENGTH", row.length},
                          {"HTTP_SEC_FETCH_SITE", row.site}};
    system.input_pieces = {"MP3List=1.+x"};
    Captured c;
    std::int32_t raised = 0;
    try {
      CaptureRequest(system, c.request);
      ReadRequest(system, c.request, c.read);
    } catch (const RunError& error) {
      raised = error.number();
    }
    EXPECT_EQ(raised, row.raised) << row.query;
    EXPECT_EQ(c.read.answer, row.answer) << row.query;
    EXPECT_EQ(c.read.may_act, row.may_act) << row.query;
  }
  FakeSystem other_site;
  other_site.environment = {
      {"REQUEST_METHOD", "POST"}, {"QUERY_STRING", "stop"},
      {"CONTENT_LENGTH", "12"},   {"CONTENT_TYPE", "application/x-www-form-urlencoded"},
      {"HTTP_HOST", "pc"},        {"HTTP_ORIGIN", "http://elsewhere.example"}};
  other_site.input_pieces = {"MP3List=1.+x"};
  const Request read = Capture(other_site).read;
  EXPECT_FALSE(read.may_act);
  EXPECT_EQ(read.command, Command::kNone);
  EXPECT_FALSE(read.choice.has_value());
  EXPECT_EQ(other_site.read_requests, 0);
}

TEST(EntryChoiceTest, PositionBeforeTheFirstDotAndTheTitleAfterIt) {
  const std::pair<const char*, const char*> positions[] = {
      {"3. Some Title", "2"},
      {"12. A.B. Band", "11"},
      {"1.", "0"},
      {" 7 .x", "6"},
      {"0. x", "-1"},
      {"-3. x", "-4"},
      {"Some Title", "fault 13"},
      {". x", "fault 13"},
      {"x. y", "fault 13"},
      {"3 4. x", "fault 13"},
      {"1e2. x", "fault 13"},
      {"3;4. x", "fault 13"},
      {"+. x", "fault 13"},
      {"99999999999999999999. x", "fault 6"},
      {"6147483648b. x", "fault 13"},  // too long, but above all not a number
      {"2147483649. x", "fault 6"},
      {"2147483648. x", "2147483647"},
  };
  for (const auto& [text, position] : positions) {
    EXPECT_EQ(Position(ReadEntryChoice(text)), position) << text;
  }
  const std::pair<const char*, std::optional<std::string>> titles[] = {
      {"3. Some Title", "Some Title"},
      {"3.", std::nullopt},
      {"3.x", std::nullopt},
      {"3. ", std::nullopt},
      {"3. 	 ", std::nullopt},
      {"3.  a ", " a "},
      {"2. Beta;3. Gamma", "Beta;3. Gamma"},
  };
  for (const auto& [text, title] : titles) EXPECT_EQ(ReadEntryChoice(text).title, title) << text;
}

TEST(RequestOriginTest, AnOriginMatchesItsHostAndPortInAnyLetterCase) {
  struct Row {
    const char* origin;
    const char* host;
    bool same;
  } rows[] = {
      {"http://pc:8080", "pc:8080", true},   {"http://PC:8080", "pc:8080", true},
      {"http://pc", "pc:80", true},          {"http://pc:80", "pc", true},
      {"https://pc", "pc:443", true},        {"http://[::1]:8080", "[::1]:8080", true},
      {"http://pc:8081", "pc:8080", false},  {"http://pc", "pc:8080", false},
      {"https://pc", "pc:80", false},        {"http://127.0.0.1:8080", "localhost:8080", false},
      {"http://[::1]", "[::1]:8080", false}, {"null", "pc", false},
      {"http://pc:8080", "", false},         {"http://evil@pc:8080", "pc:8080", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(OriginMatchesHost(row.origin, row.host), row.same) << row.origin << " " << row.host;
  }
}

}  // namespace
}  // namespace tunaro
