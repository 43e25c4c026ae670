// The stand-in player seen from another process, through player_probe.exe:
// the tests of the remote control trust it to answer like a player.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "harness/wine_harness.h"

namespace {

using harness::FileExists;
using harness::LoggedCommand;
using harness::LoggedMessage;
using harness::LoggedQuery;
using harness::ProbeQueries;
using harness::ProbeQuery;
using harness::ProbeText;
using harness::ReadFileBytes;
using harness::StandinPlayer;
using harness::TempDir;
using harness::WindowsPath;
using harness::WriteFileBytes;
using namespace std::chrono_literals;

constexpr char kPlaylistName[] = "standin_player.m3u";
// The entries of the built-in demo list (tools/standin_player/samples.cc).
constexpr std::size_t kDemoEntries = 16;

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

// The numbers, from 1, of the entries that a playlist file holds as a file
// line alone, without an #EXTINF line before it.
std::vector<int> BareEntries(const std::string& file) {
  std::vector<int> bare;
  int number = 0;
  bool have_info = false;
  std::istringstream lines(file);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("#EXTINF:", 0) == 0) {
      have_info = true;
    } else if (!line.empty() && line[0] != '#') {
      ++number;
      if (!have_info) bare.push_back(number);
      have_info = false;
    }
  }
  return bare;
}

// The hostile sample's text in UTF-8: its bytes above 0x7F are characters
// of Windows-1252, the ANSI code page of Wine under a C or English locale.
std::string HostileSampleInUtf8(const std::string& ansi) {
  static const std::map<unsigned char, std::string> kUtf8 = {
      {0xdc, "\xc3\x9c"},     {0xdf, "\xc3\x9f"},     {0xe9, "\xc3\xa9"},    {0xfc, "\xc3\xbc"},
      {0x93, "\xe2\x80\x9c"}, {0x94, "\xe2\x80\x9d"}, {0x96, "\xe2\x80\x93"}};
  std::string utf8;
  for (const char c : ansi) {
    const auto found = kUtf8.find(static_cast<unsigned char>(c));
    if (found != kUtf8.end()) {
      utf8 += found->second;
    } else {
      EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "a byte the sample does not have";
      utf8 += c;
    }
  }
  return utf8;
}

TEST(StandinPlayerTest, AnswersEveryQueryAndLogsThemInOrder) {
  StandinPlayer player({"--current", "2", "--state", "playing"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(harness::ProbeFindWindow(), player.window());

  // Entry 3 of the demo list: "Glasshouse Nine - Copper Wire", 3:07.
  const std::vector<long long> answers = ProbeQueries({{tunaro::QueryPlayState, 0},
                                                       {tunaro::QueryLength, 1},
                                                       {tunaro::QueryLength, 0},
                                                       {tunaro::QueryEntryCount, 0},
                                                       {tunaro::QueryStreamInfo, 0},
                                                       {tunaro::QueryStreamInfo, 1},
                                                       {9999, 7}});
  EXPECT_EQ(answers, (std::vector<long long>{tunaro::StatePlaying, 187, 0,
                                             static_cast<long long>(kDemoEntries), 44, 320, 0}));

  const harness::ProcessResult path = harness::RunProbe({"path"});
  EXPECT_EQ(path.output, player.program_path() + "\n");
  const long long length = static_cast<long long>(player.program_path().size());
  EXPECT_EQ(ProbeQueries({{tunaro::QueryPathChar, length - 1},
                          {tunaro::QueryPathChar, length},
                          {tunaro::QueryPathChar, length + 1000}}),
            (std::vector<long long>{'e', 0, 0}));

  const std::vector<LoggedMessage> log = player.Log();
  ASSERT_GE(log.size(), 7u);
  EXPECT_EQ(std::vector<LoggedMessage>(log.begin(), log.begin() + 7),
            (std::vector<LoggedMessage>{
                LoggedQuery(tunaro::QueryPlayState, 0), LoggedQuery(tunaro::QueryLength, 1),
                LoggedQuery(tunaro::QueryLength, 0), LoggedQuery(tunaro::QueryEntryCount, 0),
                LoggedQuery(tunaro::QueryStreamInfo, 0), LoggedQuery(tunaro::QueryStreamInfo, 1),
                LoggedQuery(9999, 7)}));
  EXPECT_EQ(log.back(), LoggedQuery(tunaro::QueryPathChar, length + 1000));

  player.ClearLog();
  EXPECT_TRUE(player.Log().empty());
}

TEST(StandinPlayerTest, SelectionAndCommandsChangeWhatItReports) {
  StandinPlayer player;
  ASSERT_TRUE(player.ready());
  auto state_and_index = [] {
    return ProbeQueries({{tunaro::QueryPlayState, 0}, {tunaro::WritePlaylist, 0}});
  };
  using Answers = std::vector<long long>;
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StateStopped, 0}));

  // Pause does nothing while stopped; play starts; pause toggles.
  PostAndWait(player, tunaro::CommandPause);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StateStopped, 0}));
  PostAndWait(player, tunaro::CommandPlay);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StatePlaying, 0}));
  PostAndWait(player, tunaro::CommandPause);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StatePaused, 0}));
  PostAndWait(player, tunaro::CommandPause);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StatePlaying, 0}));

  // Out-of-range selections are ignored; next and previous stop at the ends.
  const auto last = static_cast<long long>(kDemoEntries) - 1;
  EXPECT_EQ(ProbeQueries({{tunaro::SetCurrentEntry, last},
                          {tunaro::SetCurrentEntry, last + 1},
                          {tunaro::SetCurrentEntry, -1},
                          {tunaro::WritePlaylist, 0},
                          {tunaro::QueryLength, 1}}),
            (Answers{0, 0, 0, last, 193}));
  PostAndWait(player, tunaro::CommandNext);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StatePlaying, last}));
  PostAndWait(player, tunaro::CommandPrevious);
  PostAndWait(player, tunaro::CommandStop);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StateStopped, last - 1}));
  ASSERT_EQ(ProbeQuery(tunaro::SetCurrentEntry, 0), 0);
  PostAndWait(player, tunaro::CommandPrevious);
  EXPECT_EQ(state_and_index(), (Answers{tunaro::StateStopped, 0}));

  // The console tells the demo's audience what happened.
  EXPECT_NE(player.ConsoleOutput().find("> playing 1. The Paper Lanterns - Harbour Lights (3:25)"),
            std::string::npos)
      << player.ConsoleOutput();

  const std::vector<LoggedMessage> log = player.Log();
  std::vector<LoggedMessage> commands;
  for (const LoggedMessage& message : log) {
    if (message.message == tunaro::CommandMessage) commands.push_back(message);
  }
  EXPECT_EQ(commands,
            (std::vector<LoggedMessage>{
                LoggedCommand(tunaro::CommandPause), LoggedCommand(tunaro::CommandPlay),
                LoggedCommand(tunaro::CommandPause), LoggedCommand(tunaro::CommandPause),
                LoggedCommand(tunaro::CommandNext), LoggedCommand(tunaro::CommandPrevious),
                LoggedCommand(tunaro::CommandStop), LoggedCommand(tunaro::CommandPrevious)}));
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

  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 1);
  EXPECT_EQ(harness::ReadFileBytes(player.playlist_path()),
            "#EXTM3U" + eol +                                              //
                "#EXTINF:215,Smith, Jones - Caf\xe9 <b>&amp;</b>" + eol +  //
                "C:\\Music\\a.mp3" + eol +                                 //
                "#EXTINF:-1,Caf\xe9 M\xfcller" + eol +                     //
                "D:\\Plain\\Caf\xe9 M\xfcller.mp3" + eol +                 //
                "#EXTINF:-1,\"Quoted\"" + eol +                            //
                "E:\\q.mp3" + eol);
  EXPECT_EQ(ProbeQuery(tunaro::QueryEntryCount, 0), 3);
}

INSTANTIATE_TEST_SUITE_P(LineEnds, StandinPlayerFileTest,
                         ::testing::Values(std::make_pair("crlf", "\r\n"),
                                           std::make_pair("lf", "\n"), std::make_pair("cr", "\r")),
                         [](const auto& info) { return info.param.first; });

TEST(StandinPlayerTest, HostileTitlesReachTheFileUntouched) {
  StandinPlayer player({"--sample", "hostile", "--current", "3"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 3);
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
  EXPECT_EQ(ProbeQueries({{tunaro::QueryEntryCount, 0}, {tunaro::QueryLength, 1}}),
            (std::vector<long long>{10, 180}));

  // An old player rewrites the file on every request, and writes no UTF-8 copy.
  ASSERT_TRUE(harness::WriteFileBytes(player.playlist_path(), "changed"));
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 3);
  EXPECT_EQ(harness::ReadFileBytes(player.playlist_path()), file);
  EXPECT_FALSE(harness::FileExists(player.utf8_playlist_path()));
}

TEST(StandinPlayerTest, GeneratesAndWritesTwoHundredThousandEntries) {
  StandinPlayer player({"--entries", "200000", "--current", "199999"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQueries({{tunaro::QueryEntryCount, 0}, {tunaro::WritePlaylist, 0}}),
            (std::vector<long long>{200000, 199999}));
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
  EXPECT_EQ(ProbeQueries({{tunaro::QueryEntryCount, 0},
                          {tunaro::QueryPlayState, 0},
                          {tunaro::QueryLength, 1},
                          {tunaro::QueryPathChar, 0},
                          {tunaro::QueryPathChar, length},
                          {tunaro::WritePlaylist, 0}}),
            (std::vector<long long>{70000, 2, 3725, 'Z', 65536, 0}));
  // The file still holds the true list.
  EXPECT_EQ(CountLines(harness::ReadFileBytes(player.playlist_path()).value_or("")),
            1 + 2 * kDemoEntries);
}

TEST(StandinPlayerFaultTest, ReportedProgramPathMovesThePlaylistFile) {
  TempDir elsewhere("tunaro-elsewhere");
  const std::string program = WindowsPath(elsewhere.Path("My Player.exe"));
  StandinPlayer player({"--program-path", program, "--entries", "2"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(harness::RunProbe({"path"}).output, program + "\n");
  EXPECT_EQ(player.playlist_path(), elsewhere.Path("My Player.m3u"));
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 0);
  EXPECT_EQ(CountLines(harness::ReadFileBytes(player.playlist_path()).value_or("")), 5u);
}

TEST(StandinPlayerFaultTest, EndlessPathNeverEnds) {
  StandinPlayer player({"--endless-path"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQueries({{tunaro::QueryPathChar, 0}, {tunaro::QueryPathChar, 1000000}}),
            (std::vector<long long>{'a', 'a'}));
}

TEST(StandinPlayerFaultTest, PlaylistFileCanBeMissingOrDisagree) {
  {
    StandinPlayer player({"--no-playlist-file", "--current", "4"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 4);
    EXPECT_FALSE(harness::FileExists(player.playlist_path()));
  }
  {
    StandinPlayer player({"--entries", "3", "--file-entries-delta", "2"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQueries({{tunaro::WritePlaylist, 0}, {tunaro::QueryEntryCount, 0}}),
              (std::vector<long long>{0, 3}));
    const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
    EXPECT_EQ(CountLines(file), 1 + 2 * 5u);
    EXPECT_NE(file.find("Artist 0003 - Title 0003"), std::string::npos);
  }
  {
    StandinPlayer player({"--entries", "3", "--file-entries-delta", "-1", "--line-ends", "lf"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQueries({{tunaro::WritePlaylist, 0}, {tunaro::QueryEntryCount, 0}}),
              (std::vector<long long>{0, 3}));
    const std::string file = harness::ReadFileBytes(player.playlist_path()).value_or("");
    EXPECT_EQ(CountLines(file), 1 + 2 * 2u);
    EXPECT_EQ(file.find("Artist 0003"), std::string::npos);
  }
}

TEST(StandinPlayerFaultTest, HangOnLeavesTheSenderWaiting) {
  StandinPlayer player({"--hang-on", std::to_string(tunaro::QueryEntryCount)});
  ASSERT_TRUE(player.ready());
  const harness::ProcessResult result =
      harness::RunProbe({"query", std::to_string(tunaro::QueryPlayState), "0",
                         std::to_string(tunaro::QueryEntryCount), "0"});
  EXPECT_EQ(result.exit_code, harness::kProbeTimedOut) << result.output << result.errors;
  EXPECT_EQ(result.output, "0\ntimeout\n");
  EXPECT_GE(result.elapsed_seconds, 4.5);
  // Logged before it hung, and still there.
  EXPECT_EQ(player.Log().back(), LoggedQuery(tunaro::QueryEntryCount, 0));
  EXPECT_TRUE(player.Running());
}

TEST(StandinPlayerFaultTest, QuitOnEndsTheProcessWithoutAnswering) {
  StandinPlayer player({"--quit-on", std::to_string(tunaro::WritePlaylist)});
  ASSERT_TRUE(player.ready());
  const harness::ProcessResult result =
      harness::RunProbe({"query", std::to_string(tunaro::QueryEntryCount), "0",
                         std::to_string(tunaro::WritePlaylist), "0"});
  EXPECT_EQ(result.exit_code, harness::kProbeFailed) << result.output << result.errors;
  EXPECT_EQ(result.output.substr(0, 3), std::to_string(kDemoEntries) + "\n");
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
  EXPECT_EQ(ProbeQuery(tunaro::QueryEntryCount, 0), 5);
  // The old handle is dead, and saying so is not a timeout.
  if (first_window != second.window()) {
    const harness::ProcessResult stale =
        harness::RunProbe({"--window", std::to_string(first_window), "query",
                           std::to_string(tunaro::QueryEntryCount), "0"});
    EXPECT_EQ(stale.exit_code, harness::kProbeFailed) << stale.output;
  }
}

TEST(StandinPlayerTest, HelpNamesTheSwitchesOfCurrentPlayers) {
  const auto run = [](const std::vector<std::string>& args) {
    return harness::RunProcess(
        harness::SharedPrefix().WineProcess(harness::WindowsExe("standin_player.exe"), args));
  };
  const harness::ProcessResult help = run({"--help"});
  EXPECT_EQ(help.exit_code, 0) << help.errors;
  for (const char* name :
       {"--path-query-answer N", "--playlist-dir DIR", "--directory-query 337",
        "--unknown-answer N", "--write-on-change", "--bare-entries K", "--like-current"}) {
    EXPECT_NE(help.output.find(name), std::string::npos) << name;
  }
  EXPECT_EQ(run({"--directory-query", "336"}).exit_code, 2);
}

TEST(StandinPlayerVersionTest, PathAndUnknownQueriesAnswerAsTold) {
  {
    StandinPlayer player({"--path-query-answer", "0", "--unknown-answer", "1"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQueries({{tunaro::QueryPathChar, 0},
                            {tunaro::QueryPathChar, 4},
                            {9999, 0},
                            {tunaro::QueryPlaylistDirectory, 0},
                            {tunaro::QuerySettingsDirectory, 0},
                            {tunaro::QueryEntryCount, 0}}),
              (std::vector<long long>{0, 0, 1, 1, 1, static_cast<long long>(kDemoEntries)}));
    EXPECT_EQ(harness::RunProbe({"path"}).output, "\n");
  }
  StandinPlayer player({"--path-query-answer", "1"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQueries({{tunaro::QueryPathChar, 0},
                          {tunaro::QueryPathChar, 100000},
                          {tunaro::QueryPlaylistDirectory, 0}}),
            (std::vector<long long>{1, 1, 0}));
}

// The directory query answers the address of the folder's text, and the
// playlist file goes into that folder; the other directory query is unknown.
void ExpectFolderReported(StandinPlayer& player, const std::string& folder, long long query,
                          long long other_query, long long other_answer) {
  const std::string file = folder + "/" + kPlaylistName;
  EXPECT_EQ(player.playlist_path(), file);
  EXPECT_NE(player.ConsoleOutput().find("playlist file: " + WindowsPath(file)), std::string::npos)
      << player.ConsoleOutput();
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(ProbeQueries({{tunaro::WritePlaylist, 0}, {other_query, 0}}),
            (std::vector<long long>{0, other_answer}));
  EXPECT_EQ(CountLines(ReadFileBytes(file).value_or("")), 1 + 2 * kDemoEntries);
  EXPECT_NE(ProbeQuery(query, 0).value_or(0), 0);
  EXPECT_EQ(ProbeText(query), WindowsPath(folder));
  const std::vector<LoggedMessage> log = player.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), LoggedQuery(query, 0)), 2);
  EXPECT_EQ(std::count(log.begin(), log.end(), LoggedQuery(other_query, 0)), 1);
}

TEST(StandinPlayerVersionTest, DirectoryQueryReportsTheFolderOfThePlaylistFile) {
  {
    TempDir folder("tunaro-playlists");
    StandinPlayer player({"--playlist-dir", WindowsPath(folder.path())});
    ASSERT_TRUE(player.ready());
    ExpectFolderReported(player, folder.path(), tunaro::QueryPlaylistDirectory,
                         tunaro::QuerySettingsDirectory, 0);
    EXPECT_FALSE(FileExists(player.dir().Path(kPlaylistName)));
  }
  {
    TempDir folder("tunaro-playlists");
    StandinPlayer player({"--playlist-dir", WindowsPath(folder.path()), "--directory-query", "335",
                          "--unknown-answer", "1"});
    ASSERT_TRUE(player.ready());
    ExpectFolderReported(player, folder.path(), tunaro::QuerySettingsDirectory,
                         tunaro::QueryPlaylistDirectory, 1);
    EXPECT_FALSE(FileExists(player.dir().Path(kPlaylistName)));
  }
  // Without a folder of its own the file stays beside the program.
  StandinPlayer player({"--directory-query", "335"});
  ASSERT_TRUE(player.ready());
  ExpectFolderReported(player, player.dir().path(), tunaro::QuerySettingsDirectory,
                       tunaro::QueryPlaylistDirectory, 0);
}

TEST(StandinPlayerVersionTest, WriteOnChangeWritesAnUnchangedListOnceWithAUtf8Copy) {
  {
    StandinPlayer player({"--write-on-change", "--sample", "hostile", "--current", "3"});
    ASSERT_TRUE(player.ready());
    EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 3);
    const std::string ansi = ReadFileBytes(player.playlist_path()).value_or("");
    EXPECT_EQ(CountLines(ansi), 1 + 2 * 10u);
    EXPECT_EQ(ReadFileBytes(player.utf8_playlist_path()),
              "\xEF\xBB\xBF" + HostileSampleInUtf8(ansi));

    ASSERT_TRUE(WriteFileBytes(player.playlist_path(), "kept"));
    ASSERT_TRUE(WriteFileBytes(player.utf8_playlist_path(), "kept too"));
    EXPECT_EQ(ProbeQueries({{tunaro::WritePlaylist, 0}, {tunaro::WritePlaylist, 0}}),
              (std::vector<long long>{3, 3}));
    EXPECT_EQ(ReadFileBytes(player.playlist_path()), "kept");
    EXPECT_EQ(ReadFileBytes(player.utf8_playlist_path()), "kept too");
  }
  StandinPlayer empty({"--write-on-change", "--entries", "0"});
  ASSERT_TRUE(empty.ready());
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), -1);
  EXPECT_EQ(ReadFileBytes(empty.playlist_path()), "#EXTM3U\r\n");
  EXPECT_EQ(ReadFileBytes(empty.utf8_playlist_path()), "\xEF\xBB\xBF#EXTM3U\r\n");
}

TEST(StandinPlayerVersionTest, TheAnsiFileHasQuestionMarksWhereTheUtf8CopyHasTheNames) {
  StandinPlayer player({"--write-on-change", "--current", "15"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 15);
  const std::string ansi = ReadFileBytes(player.playlist_path()).value_or("");
  const std::string utf8 = ReadFileBytes(player.utf8_playlist_path()).value_or("");
  EXPECT_EQ(CountLines(ansi), 1 + 2 * kDemoEntries);
  EXPECT_EQ(CountLines(utf8), 1 + 2 * kDemoEntries);
  // Code page 1252 has \xF3 but neither \u0141 nor \u017a: no look-alike "L".
  const std::string polish_ansi =
      "Zofia ?ukasiewicz - Je?\xF3w ko?o ?r\xF3"
      "d?a";
  const std::string polish_utf8 =
      "Zofia \xC5\x81ukasiewicz - Je\xC5\xBC\xC3\xB3w ko\xC5\x82o \xC5\xBAr\xC3\xB3"
      "d\xC5\x82"
      "a";
  EXPECT_NE(ansi.find("#EXTINF:193," + polish_ansi + "\r\n"), std::string::npos) << ansi;
  EXPECT_NE(utf8.find("#EXTINF:193," + polish_utf8 + "\r\n"), std::string::npos) << utf8;
  EXPECT_NE(ansi.find("#EXTINF:231,??????? - ????? ???\r\n"), std::string::npos);
  EXPECT_EQ(utf8.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(ansi.substr(0, 1), "#");
}

TEST(StandinPlayerVersionTest, BareEntriesHaveNoInformationLine) {
  StandinPlayer player({"--entries", "7", "--bare-entries", "3", "--line-ends", "lf"});
  ASSERT_TRUE(player.ready());
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 0);
  const std::string file = ReadFileBytes(player.playlist_path()).value_or("");
  EXPECT_EQ(BareEntries(file), (std::vector<int>{3, 6}));
  EXPECT_EQ(CountLines(file), 1 + 2 * 7u - 2);
}

TEST(StandinPlayerVersionTest, LikeCurrentCombinesThemAll) {
  StandinPlayer player({"--like-current", "--entries", "7"});
  ASSERT_TRUE(player.ready());
  // The harness keeps the file in a folder of the player's own directory.
  const std::string folder = player.dir().Path("playlists");
  EXPECT_EQ(player.playlist_path(), folder + "/" + kPlaylistName);
  EXPECT_EQ(ProbeQueries({{tunaro::QueryPathChar, 0},
                          {tunaro::QueryPathChar, 7},
                          {tunaro::QuerySettingsDirectory, 0},
                          {9999, 0},
                          {tunaro::WritePlaylist, 0}}),
            (std::vector<long long>{0, 0, 1, 1, 0}));
  EXPECT_EQ(ProbeText(tunaro::QueryPlaylistDirectory), WindowsPath(folder));
  const std::string file = ReadFileBytes(player.playlist_path()).value_or("");
  EXPECT_EQ(BareEntries(file), (std::vector<int>{3, 6}));
  EXPECT_EQ(ReadFileBytes(player.utf8_playlist_path()), "\xEF\xBB\xBF" + file);  // plain ASCII
  EXPECT_FALSE(FileExists(player.dir().Path(kPlaylistName)));

  ASSERT_TRUE(WriteFileBytes(player.playlist_path(), "kept"));
  EXPECT_EQ(ProbeQuery(tunaro::WritePlaylist, 0), 0);
  EXPECT_EQ(ReadFileBytes(player.playlist_path()), "kept");
}

TEST(StandinPlayerVersionTest, LikeCurrentKeepsItsListInAppDataAndYieldsToLaterSwitches) {
  std::string file;
  {
    StandinPlayer player(
        {"--like-current", "--entries", "4", "--bare-entries", "0", "--directory-query", "335"},
        harness::CurrentPlayerFolder::kAppData);
    ASSERT_TRUE(player.ready());
    file = player.playlist_path();
    const std::optional<std::string> folder = ProbeText(tunaro::QuerySettingsDirectory);
    ASSERT_TRUE(folder.has_value());
    const std::string app_data_end = "\\AppData\\Roaming\\Winamp";
    EXPECT_EQ(folder->rfind("C:\\users\\", 0), 0u) << *folder;
    ASSERT_GT(folder->size(), app_data_end.size());
    EXPECT_EQ(folder->substr(folder->size() - app_data_end.size()), app_data_end);
    EXPECT_EQ(harness::LinuxPath(*folder + "\\" + kPlaylistName, harness::SharedPrefix().path()),
              file);

    EXPECT_EQ(ProbeQueries({{tunaro::QueryPlaylistDirectory, 0}, {tunaro::WritePlaylist, 0}}),
              (std::vector<long long>{1, 0}));
    const std::string written = ReadFileBytes(file).value_or("");
    EXPECT_EQ(CountLines(written), 1 + 2 * 4u);
    EXPECT_TRUE(BareEntries(written).empty());
    EXPECT_TRUE(FileExists(player.utf8_playlist_path()));
  }
  // The shared folder is left as the test found it.
  EXPECT_FALSE(FileExists(file));
}

}  // namespace
