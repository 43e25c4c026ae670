#include "cgi/request_capture.h"
#include "cgi/request_origin.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

struct Captured {
  RequestInfo request;
  FormPairs pairs;
};

Captured Capture(FakeSystem& system) {
  Captured c;
  CaptureRequest(system, c.request, c.pairs);
  ReadFormData(system, c.request, c.pairs);
  return c;
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
                        {"QUERY_STRING", "a=1&b=2"},
                        {"SCRIPT_NAME", "/cgi-bin/tunaro/tunaro"}};
  system.input_pieces = {"x=9"};
  Captured c = Capture(system);
  EXPECT_EQ(system.read_requests, 0);
  ASSERT_EQ(c.pairs.size(), 3u);
  EXPECT_EQ(c.pairs[1].Name, "a");
  EXPECT_EQ(c.pairs[2].Value, "2");
  EXPECT_EQ(c.request.ScriptName, "/cgi-bin/tunaro/tunaro");
  EXPECT_EQ(c.request.OutputHandle, FakeSystem::kOutput);
}

TEST(RequestCaptureTest, OnlyAnUpperCasePostReadsTheBody) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "post"},
                        {"CONTENT_LENGTH", "3"},
                        {"CONTENT_TYPE", "application/x-www-form-urlencoded"}};
  system.input_pieces = {"x=9"};
  Captured c = Capture(system);
  EXPECT_EQ(system.read_requests, 0);
  EXPECT_EQ(c.pairs.size(), 1u);
}

TEST(RequestCaptureTest, UrlencodedBodyPairsComeBeforeTheQueryString) {
  FakeSystem system;
  system.environment = {{"REQUEST_METHOD", "POST"},
                        {"CONTENT_LENGTH", "21"},
                        {"CONTENT_TYPE", "APPLICATION/X-WWW-FORM-URLENCODED"},
                        {"QUERY_STRING", "q=2"}};
  system.input_pieces = {"MP3List=3.+Some+Title"};
  Captured c = Capture(system);
  EXPECT_EQ(c.request.RequestBody, "MP3List=3.+Some+Title");
  ASSERT_EQ(c.pairs.size(), 3u);
  EXPECT_EQ(c.pairs[1].Value, "3. Some Title");
  EXPECT_EQ(c.pairs[2].Name, "q");
}

TEST(RequestCaptureTest, OtherContentTypesAreReadButNotParsed) {
  FakeSystem system;
  system.environment = {
      {"REQUEST_METHOD", "POST"}, {"CONTENT_LENGTH", "3"}, {"CONTENT_TYPE", "multipart/form-data"}};
  system.input_pieces = {"a=1"};
  Captured c = Capture(system);
  EXPECT_EQ(c.request.RequestBody, "a=1");
  EXPECT_EQ(c.pairs.size(), 1u);
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
