// Running tunaro.exe for a request, the parts that need no Windows: the
// request's body within its bounds, the environment the program is given
// and the head of its answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "server/runner/cgi_answer.h"
#include "server/runner/cgi_environment.h"
#include "server/runner/request_body.h"

namespace tunaro::server {
namespace {

TEST(RequestBody, WholeWithinItsSizeAndOneDeadlineForAll) {
  // A client that sends `piece` bytes a read, each read taking `ms`.
  struct Client {
    std::size_t total, piece;
    std::int64_t ms;
    std::int64_t length;  // the Content-Length it gives
    std::int64_t clock = 0;
    std::size_t sent = 0;
    int Read(char* into, std::size_t room) {
      clock += ms;
      const std::size_t got = std::min({piece, room, total - sent});
      std::fill(into, into + got, 'x');
      sent += got;
      return static_cast<int>(got);
    }
  };
  const auto read = [](Client& client, std::string* body) {
    return ReadRequestBody(
        [&client](char* into, std::size_t room) { return client.Read(into, room); },
        [&client] { return client.clock; }, client.length, 100, 1000, body);
  };
  std::string body;
  Client form{100, 30, 10, 100};
  EXPECT_EQ(read(form, &body), BodyRead::kWhole);
  EXPECT_EQ(body, std::string(100, 'x'));
  EXPECT_EQ(form.clock, 40);  // no read past the Content-Length
  body.clear();
  Client no_length{50, 30, 10, -1};  // to the end
  EXPECT_EQ(read(no_length, &body), BodyRead::kWhole);
  EXPECT_EQ(body.size(), 50u);
  body.clear();
  Client large{1000000, 4096, 1, -1};
  EXPECT_EQ(read(large, &body), BodyRead::kTooLarge);
  EXPECT_EQ(large.sent, 101u);  // it stops one byte past the limit
  body.clear();
  // A byte every 300 ms: each read returns in time, the whole does not.
  Client trickle{100, 1, 300, 100};
  EXPECT_EQ(read(trickle, &body), BodyRead::kIncomplete);
  EXPECT_LE(trickle.sent, 5u);
  body.clear();
  Client stopped{40, 30, 10, 100};  // the client stops short of its length
  EXPECT_EQ(read(stopped, &body), BodyRead::kIncomplete);
}

TEST(CgiAnswer, PassesBrowserHeadersOnAndNothingThatPosesAsOne) {
  EXPECT_EQ(HeaderVariableName("Sec-Fetch-Site"), "HTTP_SEC_FETCH_SITE");
  EXPECT_EQ(HeaderVariableName("host"), "HTTP_HOST");
  EXPECT_EQ(HeaderVariableName("content-type"), "CONTENT_TYPE");
  EXPECT_EQ(HeaderVariableName("Sec_Fetch_Site"), "");
  EXPECT_EQ(HeaderVariableName("X Y"), "");
  EXPECT_EQ(HeaderVariableName("AUTHORIZATION"), "");
}

TEST(CgiAnswer, ReadsTheHeadUpToItsEmptyLine) {
  AnswerHead head;
  const std::string page = "Content-type: text/html\r\n\r\n<html>";
  ASSERT_EQ(ReadAnswerHead(page, &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 200);
  ASSERT_EQ(head.headers.size(), 1u);
  EXPECT_EQ(head.headers[0].second, "text/html");
  EXPECT_EQ(page.substr(head.body_start), "<html>");

  const std::string bad = "Status: 400 Bad Request\nContent-type:application/json\n\n{}";
  ASSERT_EQ(ReadAnswerHead(bad, &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 400);
  ASSERT_EQ(head.headers.size(), 1u);  // Status is the server's to send
  EXPECT_EQ(head.headers[0].second, "application/json");
  EXPECT_EQ(bad.substr(head.body_start), "{}");
  ASSERT_EQ(ReadAnswerHead("Location: /x\r\n\r\n", &head), HeadRead::kComplete);
  EXPECT_EQ(head.status, 302);

  EXPECT_EQ(ReadAnswerHead("Content-type: text/html\r\n", &head), HeadRead::kIncomplete);
  EXPECT_EQ(ReadAnswerHead("", &head), HeadRead::kIncomplete);
  for (const char* broken : {"<html>\n\n", ": x\n\n", "Status: 99\n\n", "Status: 2000\n\n",
                             "Status: abc\n\n", "A b: c\n\n", "X: a\x01b\n\n"}) {
    EXPECT_EQ(ReadAnswerHead(broken, &head), HeadRead::kBroken) << broken;
  }
}

std::vector<std::string> Entries(const std::string& block) {
  std::vector<std::string> entries;
  for (std::size_t at = 0; at < block.size() && block[at] != '\0';) {
    const std::size_t end = block.find('\0', at);
    entries.push_back(block.substr(at, end - at));
    at = end + 1;
  }
  return entries;
}

TEST(CgiEnvironment, TheRequestsVariablesOverTheServersOwn) {
  CgiRequest request;
  request.http_version = "1.1";
  request.method = "POST";
  request.script_name = "/cgi-bin/tunaro/tunaro";
  request.query_string = "stop";
  request.client_address = "::ffff:192.168.1.5";
  request.server_port = 8080;
  request.client_port = 50123;
  request.user = "alice";
  request.content_length = 12;
  request.headers = {{"Sec-Fetch-Site", "cross-site"},
                     {"Content-Type", "application/x-www-form-urlencoded"},
                     {"Authorization", "Digest username=\"alice\""},
                     {"sec-fetch-site", "same-origin"},
                     {"Sec_Fetch_Mode", "navigate"}};
  const std::vector<std::string> own = {"=C:=C:\\Tunaro", "Path=C:\\Windows",  "HTTP_PROXY=x:1",
                                        "http_host=evil", "Query_String=play", "REMOTE_USER=bob"};
  const std::string block = CgiEnvironmentBlock(request, "C:\\T\\cgi-bin\\tunaro\\tunaro.exe", own);
  ASSERT_GE(block.size(), 2u);
  EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0'));
  const std::vector<std::string> expected = {
      "=C:=C:\\Tunaro",
      "Path=C:\\Windows",
      "GATEWAY_INTERFACE=CGI/1.1",
      "SERVER_SOFTWARE=tunaro-server",
      "SERVER_PROTOCOL=HTTP/1.1",
      "SERVER_PORT=8080",
      "REQUEST_METHOD=POST",
      "SCRIPT_NAME=/cgi-bin/tunaro/tunaro",
      "SCRIPT_FILENAME=C:\\T\\cgi-bin\\tunaro\\tunaro.exe",
      "QUERY_STRING=stop",
      "REMOTE_ADDR=192.168.1.5",
      "REMOTE_PORT=50123",
      "REMOTE_USER=alice",
      "AUTH_TYPE=Digest",
      "CONTENT_LENGTH=12",
      "HTTP_SEC_FETCH_SITE=cross-site",
      "CONTENT_TYPE=application/x-www-form-urlencoded",
  };
  EXPECT_EQ(Entries(block), expected);

  // Without a login or a body, neither is said.
  request.user.reset();
  request.content_length = -1;
  const std::string plain = CgiEnvironmentBlock(request, "x", {});
  EXPECT_EQ(plain.find("REMOTE_USER"), std::string::npos);
  EXPECT_EQ(plain.find("AUTH_TYPE"), std::string::npos);
  EXPECT_EQ(plain.find("CONTENT_LENGTH"), std::string::npos);
}

}  // namespace
}  // namespace tunaro::server
