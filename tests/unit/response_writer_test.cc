#include "cgi/response_writer.h"

#include <gtest/gtest.h>

#include "fixtures/fixture_file.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

// The header block and the error page that WriteThenFail ends with.
std::string ErrorPage() {
  return "Content-type: text/html\r\n\r\n" +
         tunaro_fixtures::ErrorPage("Boom <&> Error Number =  5");
}

void WriteThenFail(FakeSystem& system, std::size_t buffer_limit) {
  ResponseWriter out(system, FakeSystem::kOutput, buffer_limit);
  out.WriteLine("Content-type: text/html\r\n");
  for (int i = 0; i < 200; ++i) out.WriteLine("<p>a long line of an unfinished page</p>");
  WriteInternalErrorPage(out, "/cgi-bin/tunaro/tunaro", "Boom <&> Error Number =  5");
}

TEST(ResponseWriterTest, EveryLineEndsInCrLf) {
  FakeSystem system;
  system.output_is_file = false;
  {
    ResponseWriter out(system, FakeSystem::kOutput, 0);
    out.WriteLine("");
    out.WriteLine("a\xe9");
  }
  EXPECT_EQ(system.output, "\r\na\xe9\r\n");
  EXPECT_EQ(system.write_requests, 2);
}

TEST(ResponseWriterTest, OverAFileTheWholePageGoesOutAtTheEndInOrder) {
  FakeSystem system;
  system.output_is_file = true;
  std::string page;
  {
    ResponseWriter out(system, FakeSystem::kOutput, 64);
    for (int i = 0; i < 1000; ++i) {
      const std::string line = "<option>" + std::to_string(i) + ". Title</option>";
      out.WriteLine(line);
      page += line + "\r\n";
    }
    EXPECT_EQ(system.write_requests, 0);
  }
  EXPECT_EQ(system.output, page);
}

TEST(ResponseWriterTest, ErrorPageOverAFileLeavesNothingOfTheEarlierOutput) {
  for (std::size_t limit : {std::size_t{0}, std::size_t{64}, ResponseWriter::kDefaultBufferLimit}) {
    FakeSystem system;
    system.output_is_file = true;
    WriteThenFail(system, limit);
    EXPECT_EQ(system.output, ErrorPage()) << limit;
  }
}

TEST(ResponseWriterTest, ErrorPageOverAFileThatCannotBeCutLeavesOnlyThePage) {
  FakeSystem system;
  system.truncate_fails = true;
  WriteThenFail(system, ResponseWriter::kDefaultBufferLimit);
  EXPECT_EQ(system.output, ErrorPage());
}

TEST(ResponseWriterTest, ErrorPageOverAPipeFollowsTheEarlierOutput) {
  std::string earlier = "Content-type: text/html\r\n\r\n";
  for (int i = 0; i < 200; ++i) earlier += "<p>a long line of an unfinished page</p>\r\n";
  for (std::size_t limit : {std::size_t{0}, std::size_t{64}, ResponseWriter::kDefaultBufferLimit}) {
    FakeSystem system;
    system.output_is_file = false;
    WriteThenFail(system, limit);
    EXPECT_EQ(system.output, earlier + ErrorPage()) << limit;
  }
}

TEST(ResponseWriterTest, EmptyScriptNameLeavesAnEmptyHeading) {
  FakeSystem system;
  {
    ResponseWriter out(system, FakeSystem::kOutput);
    WriteInternalErrorPage(out, "", "x");
  }
  EXPECT_NE(system.output.find("<H1>Error in </H1>\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tunaro
