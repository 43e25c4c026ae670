// Faults of the player and its files, through the real tunaro.exe under Wine:
// every run must end in a complete response and leave nothing behind but
// the empty playlist file it may create.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <iostream>

#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::RunCgi;
using harness::StandinPlayer;

// The long runs fail only when neither the page nor the player's log has
// grown for this long: on a loaded machine they are slow, not stuck.
constexpr std::chrono::seconds kStall{60};

bool IsCompletePage(const std::string& output) {
  const std::string end = "</body></html>\r\n";
  return output.rfind(kHeaderBlock, 0) == 0 && output.size() >= end.size() &&
         output.compare(output.size() - end.size(), end.size(), end) == 0;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

TEST(FaultsTest, APlayerThatQuitsWhileWritingItsPlaylist) {
  StandinPlayer player({"--quit-on", "120"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  EXPECT_FALSE(result.timed_out);
  // Every later query answers 0, so no program path: the bare header.
  EXPECT_EQ(result.output, kHeaderBlock);
}

TEST(FaultsTest, AHungSelectionEndsInTheErrorPage) {
  StandinPlayer player({"--hang-on", "121"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiRequest request = install.Post("play", "MP3List=2.+x");
  request.timeout = std::chrono::seconds(60);
  harness::CgiResult result = RunCgi(request);
  EXPECT_FALSE(result.timed_out);
  EXPECT_TRUE(IsCompletePage(result.output));
  EXPECT_NE(result.output.find("Error Number =  65003"), std::string::npos);
}

TEST(FaultsTest, APlaylistFileThatCannotBeReadOrMade) {
  StandinPlayer player({"--no-playlist-file"});
  ASSERT_TRUE(player.ready());
  harness::RemoveTree(player.playlist_path());
  ASSERT_EQ(mkdir(player.playlist_path().c_str(), 0755), 0);  // a folder in its place
  TunaroInstall install;
  harness::CgiResult result = RunCgi(install.Get());
  EXPECT_TRUE(IsCompletePage(result.output));
  EXPECT_NE(result.output.find("<title>Internal Error</title>"), std::string::npos);
  struct stat info;
  ASSERT_EQ(stat(player.playlist_path().c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// A program path the player gets wrong is taken from its process instead:
// the page appears, with the titles of the file beside the program it runs.
TEST(FaultsTest, ProgramPathsThatAreTooLongNeverEndOrNameNoFile) {
  TunaroInstall install;
  const std::string first_titles = "<option selected>1. The Paper Lanterns - Harbour Lights";
  {
    // It writes its playlist beside the path it reports, which cannot be.
    StandinPlayer player({"--program-path", "C:\\" + std::string(5000, 'p') + ".exe"});
    ASSERT_TRUE(player.ready());
    const std::string page = RunCgi(install.Get()).output;
    EXPECT_TRUE(IsCompletePage(page));
    EXPECT_EQ(Count(page, "<option selected>1. </option>"), 1u);
  }
  {
    StandinPlayer player({"--program-path", "C:\\nowhere\\player.exe"});
    ASSERT_TRUE(player.ready());
    EXPECT_TRUE(IsCompletePage(RunCgi(install.Get()).output));
  }
  {
    StandinPlayer player({"--endless-path"});
    ASSERT_TRUE(player.ready());
    harness::CgiRequest request = install.Get();
    request.timeout = kStall;
    request.progress = [&player] { return player.LogBytes(); };
    harness::CgiResult result = RunCgi(request);
    EXPECT_FALSE(result.timed_out);
    EXPECT_NE(result.output.find(first_titles), std::string::npos);
    std::cout << "endless path: the run gave up after " << result.elapsed_seconds << " s\n";
  }
  {
    // When the program file is gone too, the run ends after the header.
    StandinPlayer player({"--program-path", "C:\\nowhere\\player.exe"});
    ASSERT_TRUE(player.ready());
    harness::RemoveTree(player.dir().Path("standin_player.exe"));
    EXPECT_EQ(RunCgi(install.Get()).output, kHeaderBlock);
  }
}

TEST(FaultsTest, NulAndHighBytesInTitles) {
  harness::TempDir lists;
  const std::string nul_title("A\0B", 3);
  const std::string list = PlaylistText(EntriesTitled({nul_title, "\xff\xfe\xe9", "Plain"}));
  StandinPlayer player(
      {"--playlist", harness::WindowsPath(lists.WriteFile("odd.m3u", list)), "--current", "1"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  const std::string page = RunCgi(install.Get()).output;
  EXPECT_TRUE(IsCompletePage(page));
  EXPECT_EQ(Count(page, "<option"), 3u);
  EXPECT_NE(page.find("<option selected>2. \xff\xfe\xe9</option>"), std::string::npos);
  EXPECT_NE(page.find("<option>3. Plain</option>"), std::string::npos);
}

TEST(FaultsTest, TwoHundredThousandEntries) {
  StandinPlayer player({"--entries", "200000", "--current", "199999"});
  ASSERT_TRUE(player.ready());
  TunaroInstall install;
  harness::CgiRequest request = install.Get();
  request.timeout = kStall;
  request.progress = [&player] { return player.LogBytes(); };
  harness::CgiResult result = RunCgi(request);
  EXPECT_FALSE(result.timed_out);
  EXPECT_TRUE(IsCompletePage(result.output));
  EXPECT_EQ(Count(result.output, "<option"), 200000u);
  EXPECT_EQ(Count(result.output, "<option selected>"), 1u);
  EXPECT_NE(result.output.find("<option selected>200000. "), std::string::npos);
  std::cout << "200000 entries: " << result.output.size() << " bytes in " << result.elapsed_seconds
            << " s\n";
}

TEST(FaultsTest, RunsOfEveryKindOnlyReadThePlaylistFile) {
  StandinPlayer player({"--no-playlist-file"});
  ASSERT_TRUE(player.ready());
  const std::string bytes =
      PlaylistText(EntriesTitled({"Alpha", "Beta, with a comma", "Gamma"})) + "trailing text";
  ASSERT_TRUE(harness::WriteFileBytes(player.playlist_path(), bytes));
  TunaroInstall install;
  TunaroInstall panel(std::string(kDefaultConfiguration) + "SSI 1\r\nSSIWIDTH 4\r\n");
  const harness::CgiRequest requests[] = {install.Get(),
                                          install.Get("play"),
                                          install.Get("stop"),
                                          install.Get("pause"),
                                          install.Get("previous"),
                                          install.Get("forward"),
                                          install.Get("track"),
                                          install.Post("play", "MP3List=2.+Beta"),
                                          install.Post("play", "MP3List=nonsense"),
                                          install.Get("x=%zz"),
                                          panel.Get()};
  for (const harness::CgiRequest& request : requests) {
    RunCgi(request);
    EXPECT_EQ(harness::ReadFileBytes(player.playlist_path()), std::optional<std::string>(bytes))
        << (request.query_string ? *request.query_string : "") << " " << request.body;
  }
}

}  // namespace
}  // namespace tunaro_test
