// The real tunaro.exe under Wine talking to the stand-in player: the messages
// of a status refresh and the player's faults.
#include <gtest/gtest.h>

#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::LoggedMessage;
using harness::RunCgi;
using harness::StandinPlayer;

std::vector<std::string> WithPlaylist(const harness::TempDir& dir,
                                      const std::vector<std::string>& titles,
                                      std::vector<std::string> args = {}) {
  args.push_back("--playlist");
  args.push_back(harness::WindowsPath(dir.WriteFile("list.m3u", M3u(titles))));
  return args;
}

TEST(PlayerLinkTest, ARefreshSendsExactlyTheseQueriesInOrder) {
  harness::TempDir lists;
  StandinPlayer player(WithPlaylist(lists, {"Alpha", "Beta", "Gamma"}));
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  const std::vector<LoggedMessage> expected = RefreshMessages(player.program_path().size());
  ASSERT_TRUE(player.WaitForLogCount(expected.size()));
  EXPECT_EQ(player.Log(), expected);
  EXPECT_NE(result.output.find("<option selected>1. Alpha</option>\r\n<option>2. Beta</option>\r\n"
                               "<option>3. Gamma</option>\r\n"),
            std::string::npos);
}

TEST(PlayerLinkTest, AnAnswerWhoseLow16BitsAreZeroEndsThePath) {
  StandinPlayer player({"--path-end-answer", "65536"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  const std::vector<LoggedMessage> expected = RefreshMessages(player.program_path().size());
  ASSERT_TRUE(player.WaitForLogCount(expected.size()));
  EXPECT_EQ(player.Log(), expected);
  EXPECT_NE(result.output.find("Winamp is Running"), std::string::npos);
}

TEST(PlayerLinkTest, APlayerThatQuitsAfterTheLookupLeavesTheBareHeader) {
  StandinPlayer player({"--quit-on", "104"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get("play"));
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.output, kHeaderBlock);
  EXPECT_TRUE(player.WaitForExit(std::chrono::seconds(5)));
}

TEST(PlayerLinkTest, AMissingPlaylistFileIsLeftBehindEmpty) {
  harness::TempDir lists;
  StandinPlayer player(WithPlaylist(lists, {"Alpha", "Beta"}, {"--no-playlist-file"}));
  ASSERT_TRUE(player.ready());
  ASSERT_FALSE(player.playlist_path().empty());
  harness::RemoveTree(player.playlist_path());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  // The player still reports two entries; their titles are unknown, and only
  // the current one is marked.
  EXPECT_NE(result.output.find("<option selected>1. </option>\r\n<option>2. </option>\r\n"),
            std::string::npos);
  EXPECT_EQ(harness::ReadFileBytes(player.playlist_path()), std::optional<std::string>(""));
}

TEST(PlayerLinkTest, AHungPlayerEndsTheRunWithTheErrorPage) {
  StandinPlayer player({"--hang-on", "124"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiRequest request = install.Get();
  request.timeout = std::chrono::seconds(60);
  harness::CgiResult result = RunCgi(request);
  EXPECT_FALSE(result.timed_out);
  EXPECT_EQ(result.output.rfind(kHeaderBlock, 0), 0u);
  EXPECT_NE(result.output.find("<PRE>The player did not answer within 5 seconds. Error Number =  "
                               "65003</PRE>"),
            std::string::npos);
  std::cout << "hung player: the run ended after " << result.elapsed_seconds << " s\n";
}

TEST(PlayerLinkTest, TitlesFromFilesWithOtherLineEndsAndCommas) {
  harness::TempDir lists;
  for (const char* line_ends : {"lf", "crlf"}) {
    StandinPlayer player(WithPlaylist(lists, {"Smith, Jones, and Co", "Plain"},
                                      {"--line-ends", line_ends, "--current", "1"}));
    ASSERT_TRUE(player.ready());
    TunaroInstall install;
    const std::string page = RunCgi(install.Get()).output;
    EXPECT_NE(page.find("<option>1. Smith, Jones, and Co</option>\r\n"
                        "<option selected>2. Plain</option>\r\n"),
              std::string::npos)
        << line_ends;
  }
}

TEST(PlayerLinkTest, SsiWidthCutsTitlesAndTheCurrentTitleMore) {
  harness::TempDir lists;
  StandinPlayer player(WithPlaylist(lists, {"A, B", "Long title here"}));
  ASSERT_TRUE(player.ready());
  TunaroInstall install(std::string(kDefaultConfiguration) + "SSIWIDTH 3\r\n");
  const std::string page = RunCgi(install.Get()).output;
  EXPECT_NE(page.find("<option selected>1. , B</option>\r\n<option>2. ere</option>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("Song Name: <font color=#FF0000><b> B</b>"), std::string::npos);
}

}  // namespace
}  // namespace tunaro_test
