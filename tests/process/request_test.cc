// The real tunaro.exe under Wine with no player running: the request, the
// configuration and the error page.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "fixtures/fixture_file.h"
#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::RunCgi;

std::string ErrorPage(const std::string& error_text) {
  return kHeaderBlock + tunaro_fixtures::ErrorPage(error_text);
}

TEST(RequestTest, WithoutAPlayerTheClosedNoticeOfEachLayout) {
  TunaroInstall install;
  harness::CgiResult full = RunCgi(install.Get("play"));
  ASSERT_TRUE(full.exit_code.has_value());
  EXPECT_EQ(*full.exit_code, 0);
  EXPECT_EQ(full.output,
            std::string(kHeaderBlock) +
                "<p><b>Winamp is Closed</b> | <a href=\"/cgi-bin/tunaro/tunaro\">Refresh</a></p>"
                "\r\n<hr>\r\n</body></html>\r\n");

  install.Configure("IMGDIR /images/\r\nWWWPATH /elsewhere/\r\nSSI 1\r\n");
  EXPECT_EQ(RunCgi(install.Get()).output,
            std::string(kHeaderBlock) + "<b>Winamp is Closed</b>\r\n");
}

TEST(RequestTest, ConfigurationProblems) {
  TunaroInstall install;
  harness::RemoveTree(install.dir().Path("tunaro.conf"));
  // The header block is out before the configuration is read; over a pipe the
  // error page follows it.
  EXPECT_EQ(RunCgi(install.Get()).output,
            kHeaderBlock + ErrorPage("File not found Error Number =  53"));

  install.Configure("");
  EXPECT_EQ(RunCgi(install.Get()).output,
            std::string(kHeaderBlock) +
                "ERROR: ImgDir is null. Check your configuration file.<br>\r\n\r\n"
                "ERROR: WWWPath is null. Check your configuration file.<br>\r\n\r\n");

  // Lines end at CR LF, a lone LF or a lone CR: with no player running, each
  // file gives the closed notice at its own address.
  for (const char* end : {"\n", "\r"}) {
    install.Configure(std::string("IMGDIR /images/") + end + "WWWPATH /elsewhere/" + end);
    EXPECT_EQ(RunCgi(install.Get()).output,
              std::string(kHeaderBlock) +
                  "<p><b>Winamp is Closed</b> | <a href=\"/elsewhere/tunaro\">Refresh</a></p>\r\n"
                  "<hr>\r\n</body></html>\r\n");
  }

  // A tunaro.conf that is there but cannot be read.
  harness::RemoveTree(install.dir().Path("tunaro.conf"));
  ASSERT_EQ(mkdir(install.dir().Path("tunaro.conf").c_str(), 0755), 0);
  EXPECT_EQ(RunCgi(install.Get()).output,
            kHeaderBlock + ErrorPage("Permission denied Error Number =  70"));
  harness::RemoveTree(install.dir().Path("tunaro.conf"));

  install.Configure(std::string(kDefaultConfiguration) + "SSIWIDTH 99999\r\n");
  EXPECT_EQ(RunCgi(install.Get()).output, kHeaderBlock + ErrorPage("Overflow Error Number =  6"));
}

TEST(RequestTest, AMalformedEscapeGivesTheErrorPageOnAPipeAndAFile) {
  TunaroInstall install;
  harness::CgiRequest request = install.Get("x=%zz");
  const std::string expected =
      ErrorPage("Invalid data passed to UrlDecode() function. Error Number =  65001");
  EXPECT_EQ(RunCgi(request).output, expected);
  request.output_to_file = true;
  EXPECT_EQ(RunCgi(request).output, expected);
}

TEST(RequestTest, RequestBodiesThatAreTooLargeOrNegative) {
  TunaroInstall install;
  harness::CgiRequest request = install.Post("play", "MP3List=1.+x");
  request.content_length = "5000000000";
  EXPECT_EQ(RunCgi(request).output, ErrorPage("Overflow Error Number =  6"));

  request.content_length = "2000000000";
  request.close_input = false;  // nothing must wait for a body that never comes
  harness::CgiResult huge = RunCgi(request);
  EXPECT_FALSE(huge.timed_out);
  EXPECT_NE(huge.output.find("Request body too large"), std::string::npos);
  EXPECT_NE(huge.output.find("Error Number =  65002"), std::string::npos);

  request.content_length = "-1";
  request.close_input = true;
  EXPECT_EQ(RunCgi(request).output,
            ErrorPage("Invalid procedure call or argument Error Number =  5"));
}

}  // namespace
}  // namespace tunaro_test
