// The real tunaro.exe under Wine talking to the stand-in player: the messages
// of a status refresh and the player's faults.
#include <gtest/gtest.h>

#include <sys/stat.h>

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
  args.push_back(
      harness::WindowsPath(dir.WriteFile("list.m3u", PlaylistText(EntriesTitled(titles)))));
  return args;
}

// The one test that pins the refresh's exact message sequence, parameters
// and order included.
TEST(PlayerLinkTest, ARefreshSendsExactlyTheseQueriesInOrder) {
  harness::TempDir lists;
  // A state other than stopped (0), playing (1) or paused (3) has no text;
  // the dispatch table of pages_test.cc shows those three.
  StandinPlayer player(WithPlaylist(lists, {"Alpha", "Beta", "Gamma"}, {"--state-answer", "2"}));
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  const std::vector<LoggedMessage> expected = RefreshMessages(player.program_path().size());
  ASSERT_TRUE(player.WaitForLogCount(expected.size()));
  EXPECT_EQ(player.Log(), expected);
  EXPECT_EQ(ShownState(result.output), "");
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

// A player of the 5.x line: it answers 0 to the path query, keeps its
// playlist file in a folder it names through query 337 (335 before 5.11),
// answers 1 to what it does not know, and writes every third entry without
// its information line.
class CurrentPlayerTest : public ::testing::Test {
 protected:
  // Switches after --like-current change what it chose.
  std::vector<std::string> Args(const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {
        "--like-current", "--current", "2", "--playlist",
        harness::WindowsPath(lists_.WriteFile(
            "list.m3u",
            PlaylistText(EntriesTitled({"Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta"}))))};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }
  // The entry the player has not read shows its file's name.
  static constexpr char kOptions[] =
      "<option>1. Alpha</option>\r\n<option>2. Beta</option>\r\n"
      "<option selected>3. track3</option>\r\n<option>4. Delta</option>\r\n"
      "<option>5. Epsilon</option>\r\n<option>6. track6</option>\r\n";
  static std::vector<LoggedMessage> Refresh(std::vector<long long> folder_queries) {
    using harness::LoggedQuery;
    std::vector<LoggedMessage> messages = {
        LoggedQuery(tunaro::QueryPlayState, 0),  LoggedQuery(tunaro::QueryLength, 1),
        LoggedQuery(tunaro::QueryStreamInfo, 0), LoggedQuery(tunaro::QueryStreamInfo, 1),
        LoggedQuery(tunaro::WritePlaylist, 0),   LoggedQuery(tunaro::QueryEntryCount, 0),
        LoggedQuery(tunaro::QueryPathChar, 0)};
    for (long long code : folder_queries) messages.push_back(LoggedQuery(code, 0));
    messages.push_back(LoggedQuery(tunaro::WritePlaylist, 0));
    messages.push_back(LoggedQuery(tunaro::WritePlaylist, 0));
    return messages;
  }

  harness::TempDir lists_;
  TunaroInstall install_;
};

TEST_F(CurrentPlayerTest, ThePageIsCompleteWithTheFileWhereThePlayerKeepsIt) {
  struct Version {
    std::vector<std::string> args;
    harness::CurrentPlayerFolder folder;
    std::vector<long long> folder_queries;
  } versions[] = {
      {{}, harness::CurrentPlayerFolder::kPrivate, {tunaro::QueryPlaylistDirectory}},
      // A default per-user install: %APPDATA%\Winamp.
      {{}, harness::CurrentPlayerFolder::kAppData, {tunaro::QueryPlaylistDirectory}},
      {{"--directory-query", "335"},
       harness::CurrentPlayerFolder::kPrivate,
       {tunaro::QueryPlaylistDirectory, tunaro::QuerySettingsDirectory}},
  };
  for (const Version& version : versions) {
    StandinPlayer player(Args(version.args), version.folder);
    ASSERT_TRUE(player.ready());
    const std::string page = RunCgi(install_.Get()).output;
    EXPECT_NE(page.find(kOptions), std::string::npos) << page;
    EXPECT_NE(page.find("Song Name: <font color=#FF0000><b>track3</b>"), std::string::npos);
    EXPECT_NE(page.find("</body></html>"), std::string::npos);
    const std::vector<LoggedMessage> expected = Refresh(version.folder_queries);
    EXPECT_TRUE(player.WaitForLogCount(expected.size()));
    EXPECT_EQ(player.Log(), expected);
  }
}

TEST_F(CurrentPlayerTest, APlayerThatDoesNotKnowThePathQueryCostsOneQuery) {
  StandinPlayer player(Args({"--path-query-answer", "1"}));
  ASSERT_TRUE(player.ready());
  EXPECT_NE(RunCgi(install_.Get()).output.find(kOptions), std::string::npos);
  const std::vector<LoggedMessage> expected = Refresh({tunaro::QueryPlaylistDirectory});
  EXPECT_TRUE(player.WaitForLogCount(expected.size()));
  EXPECT_EQ(player.Log(), expected);
}

// The program folder takes no file: read-only for an ordinary user, and for
// root, whom permissions do not stop, a folder stands in the file's place.
// Looking for the file beside the program ends in error 70; where the player
// keeps it, the page appears.
TEST_F(CurrentPlayerTest, AProgramFolderThatTakesNoFileDoesNotMatter) {
  for (const char* directory_query : {"337", "none"}) {
    StandinPlayer player(Args({"--directory-query", directory_query}));
    ASSERT_TRUE(player.ready());
    const std::string beside = player.dir().Path("standin_player.m3u");
    harness::RemoveTree(beside);
    ASSERT_TRUE(harness::MakeDirectory(beside));
    ASSERT_EQ(chmod(player.dir().path().c_str(), 0555), 0);
    const std::string page = RunCgi(install_.Get()).output;
    chmod(player.dir().path().c_str(), 0755);
    if (std::string(directory_query) == "337") {
      EXPECT_NE(page.find(kOptions), std::string::npos) << page;
    } else {
      EXPECT_NE(page.find("<PRE>Permission denied Error Number =  70</PRE>"), std::string::npos)
          << page;
    }
  }
}

}  // namespace
}  // namespace tunaro_test
