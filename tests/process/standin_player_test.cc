// The stand-in player seen from another process, through player_probe.exe:
// the tests of the remote control trust it to answer like a player.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "harness/wine_harness.h"

namespace {

using harness::LoggedCommand;
using harness::LoggedMessage;
using harness::LoggedQuery;
using harness::ProbeQueries;
using harness::ProbeQuery;
using harness::StandinPlayer;
using harness::TempDir;
using harness::WindowsPath;
using namespace std::chrono_literals;

// Posted commands are handled after any message sent later, so wait until
// the player has logged it before asking about its effect.
void PostAndWait(StandinPlayer& player, long long id) {
  const std::size_t before = player.Log().size();
  ASSERT_TRUE(harness::ProbeCommand(id)) << "posting " << id;
  ASSERT_TRUE(player.WaitForLogCount(before + 1)) << "command " << id << " never arrived";
}

std::size_t CountLines(const std::string& text) {
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

TEST(StandinPlayerTest, AnswersEveryQueryAndLogsThemInOrder) {
  StandinPlayer player({"--current", "2", "--state", "playing"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(harness::ProbeFindWindow(), player.window());

  // Entry 3 of the demo list: "Glasshouse Nine - Copper Wire", 3:07.
  const std::vector<long long> answers = ProbeQueries({{harness::kQueryPlayState, 0},
                                                       {harness::kQueryLength, 1},
                                                       {harness::kQueryLength, 0},
                                                       {harness::kQueryEntryCount, 0},
                                                       {harness::kQueryStreamInfo, 0},
                                                       {harness::kQueryStreamInfo, 1},
                                                       {9999, 7}});
  EXPECT_EQ(answers, (std::vector<long long>{harness::kStatePlaying, 187, 0, 12, 44, 320, 0}));

  const harness::ProcessResult path = harness::RunProbe({"path"});
  EXPECT_EQ(path.output, player.program_path() + "\n");
  const long long length = static_cast<long long>(player.program_path().size());
  EXPECT_EQ(ProbeQueries({{harness::kQueryPathChar, length - 1},
                          {harness::kQueryPathChar, length},
                          {harness::kQueryPathChar, length + 1000}}),
            (std::vector<long long>{'e', 0, 0}));

  const std::vector<LoggedMessage> log = player.Log();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(std::vector<LoggedMessage>(log.begin(), log.begin() + 7),
            (std::vector<LoggedMessage>{
                LoggedQuery(104, 0), LoggedQuery(105, 1), LoggedQuery(105, 0), LoggedQuery(124, 0),
                LoggedQuery(126, 0), LoggedQuery(126, 1), LoggedQuery(9999, 7)}));
  EXPECT_EQ(log.back(), LoggedQuery(109, length + 1000));

  player.ClearLog();
  EXPECT_TRUE(player.Log().empty());
}

TEST(StandinPlayerTest, SelectionAndCommandsChangeWhatItReports) {
  StandinPlayer player;
  ASSERT_TRUE(player.ready());
  auto state_and_index = [] {
    return ProbeQueries({{harness::kQueryPlayState, 0}, {harness::kWritePlaylist, 0}});
  };
  using Answers = std::vector<long long>;
  EXPECT_EQ(state_and_index(), (Answers{harness::kStateStopped, 0}));

  // Pause does nothing while stopped; play starts; pause toggles.
  PostAndWait(player, harness::kCommandPause);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStateStopped, 0}));
  PostAndWait(player, harness::kCommandPlay);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStatePlaying, 0}));
  PostAndWait(player, harness::kCommandPause);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStatePaused, 0}));
  PostAndWait(player, harness::kCommandPause);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStatePlaying, 0}));

  // Out-of-range selections are ignored; next and previous stop at the ends.
  EXPECT_EQ(ProbeQueries({{harness::kSetCurrentEntry, 11},
                          {harness::kSetCurrentEntry, 12},
                          {harness::kSetCurrentEntry, -1},
                          {harness::kWritePlaylist, 0},
                          {harness::kQueryLength, 1}}),
            (Answers{0, 0, 0, 11, 345}));
  PostAndWait(player, harness::kCommandNext);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStatePlaying, 11}));
  PostAndWait(player, harness::kCommandPrevious);
  PostAndWait(player, harness::kCommandStop);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStateStopped, 10}));
  ASSERT_EQ(ProbeQuery(harness::kSetCurrentEntry, 0), 0);
  PostAndWait(player, harness::kCommandPrevious);
  EXPECT_EQ(state_and_index(), (Answers{harness::kStateStopped, 0}));

  // The console tells the demo's audience what happened.
  EXPECT_NE(player.ConsoleOutput().find("> playing 1. The Paper Lanterns - Harbour Lights (3:25)"),
            std::string::npos)
      << player.ConsoleOutput();

  const std::vector<LoggedMessage> log = player.Log();
  std::vector<LoggedMessage> commands;
  for (const LoggedMessage& message : log) {
    if (message.message == harness::kCommandMessage) commands.push_back(message);
  }
  EXPECT_EQ(commands, (std::vector<LoggedMessage>{LoggedCommand(40046), LoggedCommand(40045),
                                                  LoggedCommand(40046), LoggedCommand(40046),
                                                  LoggedCommand(40048), LoggedCommand(40044),
                                                  LoggedCommand(40047), LoggedCommand(40044)}));
}

// Reads a playlist with every kind of line end, then writes it back with
// the line ends asked for.
class StandinPlayerFileTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {
};

TEST_P(StandinPlayerFileTest, WritesExactBytesBeforeAnswering) {
  const auto& [switch_value, eol] = GetParam();
  TempDir input("tunaro-input");
  const std::string source =
      input.WriteFile("list.m3u",
                      "#EXTM3U\r\n#EXTINF:215,Smith, Jones - Caf\xe9 <b>&amp;</b>\n"
                      "C:\\Music\\a.mp3\r"
                      "D:\\Plain\\Caf\xe9 M\xfcller.mp3\r\n\r\n"
                      "#EXTINF:-1,\"Quoted\"\nE:\\q.mp3");
  StandinPlayer player(
      {"--playlist", WindowsPath(source), "--current", "1", "--line-ends", switch_value});
  ASSERT_TRUE(player.ready());
  ASSERT_FALSE(harness::FileExists(player.playlist_path()));

  EXPECT_EQ(ProbeQuery(harness::kWritePlaylist, 0), 1);
  EXPECT_EQ(harness::ReadFileBytes(player.playlist_path()),
            "#EXTM3U" + eol +                                              //
                "#EXTINF:215,Smith, Jones - Caf\xe9 <b>&amp;</b>" + eol +  //
                "C:\\Music\\a.mp3" + eol +                                 //
                "#EXTINF:-1,Caf\xe9 M\xfcller" + eol +                     //
                "D:\\Plain\\Caf\xe9 M\xfcller.mp3" + eol +                 //
                "#EXTINF:-1,\"Quoted\"" + eol +                            //
                "E:\\q.mp3" + eol);
  EXPECT_EQ(ProbeQuery(harness::kQueryEntryCount, 0), 3);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, StandinPlayerFileTest,
                         ::testing::Values(std::make_pair("crlf", "\r\n"),
                                           std::make_pair("lf", "\n"), std::make_pair("cr", "\r")),
                         [](const auto& info) { return info.param.first; });

TEST(StandinPlayerTest, HostileTitlesReachTheFileUntouched) {
  StandinPlayer player({"--sample", "hostile", "--current", "3"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQuery(harness::kWritePlaylist, 0), 3);
  const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
  for (const char* line : {"\r\n#EXTINF:201,Smith, Jones, and Co - Commas, Everywhere\r\n",
                           "\r\n#EXTINF:66,<script>alert(1)</script>\r\n",
                           "\r\n#EXTINF:123,\"quotes\" & ampersands\r\n",
                           "\r\n#EXTINF:180,Caf\xe9 M\xfcller - \xdc"
                           "ber die Stra\xdf"
                           "e\r\n",
                           "\r\n#EXTINF:-1,Unknown Length\r\n"}) {
    EXPECT_NE(file.find(line), std::string::npos) << "missing: " << line;
  }
  EXPECT_EQ(CountLines(file), 1 + 2 * 10u);
  EXPECT_EQ(ProbeQueries({{harness::kQueryEntryCount, 0}, {harness::kQueryLength, 1}}),
            (std::vector<long long>{10, 180}));
}

TEST(StandinPlayerTest, GeneratesAndWritesTwoHundredThousandEntries) {
  StandinPlayer player({"--entries", "200000", "--current", "199999"});
  ASSERT_TRUE(player.ready());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ProbeQueries({{harness::kQueryEntryCount, 0}, {harness::kWritePlaylist, 0}}),
            (std::vector<long long>{200000, 199999}));
  // A generous bound: it only has to catch work that grows faster than the list.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
  EXPECT_EQ(CountLines(file), 1 + 2 * 200000u);
  EXPECT_EQ(file.rfind("#EXTM3U\r\n#EXTINF:90,Artist 0001 - Title 0001\r\n"
                       "C:\\Music\\Synthetic\\Artist 0001\\Title 0001.mp3\r\n",
                       0),
            0u);
  const std::string last_entry =
      "Artist 200000 - Title 200000\r\nC:\\Music\\Synthetic\\Artist 200000\\Title 200000.mp3\r\n";
  ASSERT_GT(file.size(), last_entry.size());
  EXPECT_EQ(file.substr(file.size() - last_entry.size()), last_entry);
}

TEST(StandinPlayerFaultTest, RawAnswersReplaceTheTrueOnes) {
  StandinPlayer player({"--report-count", "70000", "--state-answer", "2", "--length-answer", "3725",
                        "--path-end-answer", "65536"});
  ASSERT_TRUE(player.ready());
  const long long length = static_cast<long long>(player.program_path().size());
  EXPECT_EQ(ProbeQueries({{harness::kQueryEntryCount, 0},
                          {harness::kQueryPlayState, 0},
                          {harness::kQueryLength, 1},
                          {harness::kQueryPathChar, 0},
                          {harness::kQueryPathChar, length},
                          {harness::kWritePlaylist, 0}}),
            (std::vector<long long>{70000, 2, 3725, 'Z', 65536, 0}));
  // The file still holds the true list.
  EXPECT_EQ(CountLines(harness::ReadFileBytes(player.playlist_path()).value_or("")), 1 + 2 * 12u);
}

TEST(StandinPlayerFaultTest, ReportedProgramPathMovesThePlaylistFile) {
  TempDir elsewhere("tunaro-elsewhere");
  const std::string program = WindowsPath(elsewhere.Path("My Player.exe"));
  StandinPlayer player({"--program-path", program, "--entries", "2"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(harness::RunProbe({"path"}).output, program + "\n");
  EXPECT_EQ(player.playlist_path(), elsewhere.Path("My Player.m3u"));
  EXPECT_EQ(ProbeQuery(harness::kWritePlaylist, 0), 0);
  EXPECT_EQ(CountLines(harness::ReadFileBytes(player.playlist_path()).value_or("")), 5u);
}

TEST(StandinPlayerFaultTest, EndlessPathNeverEnds) {
  StandinPlayer player({"--endless-path"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQueries({{harness::kQueryPathChar, 0}, {harness::kQueryPathChar, 1000000}}),
            (std::vector<long long>{'a', 'a'}));
}

TEST(StandinPlayerFaultTest, PlaylistFileCanBeMissingOrDisagree) {
  {
    StandinPlayer player({"--no-playlist-file", "--current", "4"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQuery(harness::kWritePlaylist, 0), 4);
    EXPECT_FALSE(harness::FileExists(player.playlist_path()));
  }
  {
    StandinPlayer player({"--entries", "3", "--file-entries-delta", "2"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQueries({{harness::kWritePlaylist, 0}, {harness::kQueryEntryCount, 0}}),
              (std::vector<long long>{0, 3}));
    const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
    EXPECT_EQ(CountLines(file), 1 + 2 * 5u);
    EXPECT_NE(file.find("Artist 0003 - Title 0003"), std::string::npos);
  }
  {
    StandinPlayer player({"--entries", "3", "--file-entries-delta", "-1", "--line-ends", "lf"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQueries({{harness::kWritePlaylist, 0}, {harness::kQueryEntryCount, 0}}),
              (std::vector<long long>{0, 3}));
    const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
    EXPECT_EQ(CountLines(file), 1 + 2 * 2u);
    EXPECT_EQ(file.find("Artist 0003"), std::string::npos);
  }
}

TEST(StandinPlayerFaultTest, HangOnLeavesTheSenderWaiting) {
  StandinPlayer player({"--hang-on", "124"});
  ASSERT_TRUE(player.ready());
  const harness::ProcessResult result =
      harness::RunProbe({"query", std::to_string(harness::kQueryPlayState), "0",
                         std::to_string(harness::kQueryEntryCount), "0"});
  EXPECT_EQ(result.exit_code, harness::kProbeTimedOut) << result.output << result.errors;
  EXPECT_EQ(result.output, "0\ntimeout\n");
  EXPECT_GE(result.elapsed_seconds, 4.5);
  // Logged before it hung, and still there.
  EXPECT_EQ(player.Log().back(), LoggedQuery(124, 0));
  EXPECT_TRUE(player.Running());
}

TEST(StandinPlayerFaultTest, QuitOnEndsTheProcessWithoutAnswering) {
  StandinPlayer player({"--quit-on", "120"});
  ASSERT_TRUE(player.ready());
  const harness::ProcessResult result =
      harness::RunProbe({"query", std::to_string(harness::kQueryEntryCount), "0",
                         std::to_string(harness::kWritePlaylist), "0"});
  EXPECT_EQ(result.exit_code, harness::kProbeFailed) << result.output << result.errors;
  EXPECT_EQ(result.output.substr(0, 3), "12\n");
  EXPECT_TRUE(player.WaitForExit(5s));
  EXPECT_EQ(player.exit_code(), 0);
  EXPECT_FALSE(harness::FileExists(player.playlist_path()));
  EXPECT_EQ(harness::ProbeFindWindow(), 0u);
}

TEST(StandinPlayerTest, NextPlayerOwnsTheOnlyWindow) {
  std::uintptr_t first_window = 0;
  {
    StandinPlayer first;
    ASSERT_TRUE(first.ready());
    first_window = first.window();
  }
  StandinPlayer second({"--entries", "5"});
  ASSERT_TRUE(second.ready());
  EXPECT_EQ(harness::ProbeFindWindow(), second.window());
  EXPECT_EQ(ProbeQuery(harness::kQueryEntryCount, 0), 5);
  // The old handle is dead, and saying so is not a timeout.
  if (first_window != second.window()) {
    const harness::ProcessResult stale =
        harness::RunProbe({"--window", std::to_string(first_window), "query", "124", "0"});
    EXPECT_EQ(stale.exit_code, harness::kProbeFailed) << stale.output;
  }
}

}  // namespace
