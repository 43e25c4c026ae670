#include "app/main_entry.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/handle_request.h"
#include "base/run_error.h"
#include "player/player_messages.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

constexpr char kHeader[] = "Content-type: text/html\r\n\r\n";

// A whole run against the fake system and player.
class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    system_.SetConfiguration("IMGDIR /img/\r\nWWWPATH /cgi-bin/tunaro/\r\nBGCOLOR #C0C0C0\r\n");
    system_.environment["SCRIPT_NAME"] = "/cgi-bin/tunaro/tunaro";
    system_.environment["REQUEST_METHOD"] = "GET";
    system_.player.playlist.entries = player_model::EntriesTitled({"Alpha", "Beta", "Gamma"});
    system_.SetFile(system_.player.program_path, "MZ");
  }
  std::string Run(const std::string& query) {
    system_.environment["QUERY_STRING"] = query;
    MainEntry(system_);
    return system_.output;
  }
  std::string Post(const std::string& query, const std::string& body) {
    system_.environment["REQUEST_METHOD"] = "POST";
    system_.environment["CONTENT_TYPE"] = "application/x-www-form-urlencoded";
    system_.environment["CONTENT_LENGTH"] = std::to_string(body.size());
    system_.input_pieces = {body};
    return Run(query);
  }
  // The messages other than the status refresh's queries: what the request sent.
  std::vector<LoggedMessage> Sent() const {
    std::vector<LoggedMessage> sent;
    for (const LoggedMessage& m : system_.player.log) {
      if (m.message == CommandMessage || m.lparam == SetCurrentEntry) sent.push_back(m);
    }
    return sent;
  }
  bool RefreshRan() const {
    for (const LoggedMessage& m : system_.player.log) {
      if (m.lparam == QueryPlayState) return true;
    }
    return false;
  }
  std::string State(const std::string& page) const {
    const std::size_t at = page.find("Winamp is Running (<b>");
    if (at == std::string::npos) return "?";
    const std::size_t from = at + 22;
    return page.substr(from, page.find('<', from) - from);
  }

  FakeSystem system_;
};

const LoggedMessage kPlay{CommandMessage, CommandPlay, 0};
const LoggedMessage kStop{CommandMessage, CommandStop, 0};
LoggedMessage Select(std::int64_t index) { return {QueryMessage, index, SetCurrentEntry}; }

TEST_F(RunTest, TheTypicalRequestPlaysTheChosenEntryOnce) {
  const std::string page = Post("play", "MP3List=3.+Gamma");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(2), kPlay}));
  EXPECT_EQ(State(page), "Playing");
  EXPECT_NE(page.find("<option selected>3. Gamma</option>"), std::string::npos);
}

TEST_F(RunTest, ASelectionWithStopSelectsPlaysThenStops) {
  const std::string page = Post("stop", "MP3List=3.+Gamma");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(2), kPlay, kStop}));
  EXPECT_EQ(State(page), "Stopped");
}

TEST_F(RunTest, OnlyTheFirstDotOfTheFirstValueCounts) {
  Post("play", "MP3List=12.+A.B.+Band");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(11), kPlay}));
  system_.player.log.clear();
  Post("play", "MP3List=2.+Beta&mp3list=3.+Gamma");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(1), kPlay}));
}

TEST_F(RunTest, ASelectionFromTheQueryStringOfThePanelForm) {
  Run("MP3List=2.+Beta&play.x=3&play.y=4");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(1), kPlay}));
}

TEST_F(RunTest, AStaleSelectionPlaysTheEntryThatShowsItsTitleNow) {
  struct Row {
    std::vector<std::string> titles;
    const char* choice;
    std::int64_t plays;
    int width = 0;
  } rows[] = {
      {{"Alpha", "Beta", "Gamma"}, "3.+Gamma", 2},            // where it was
      {{"Gamma", "Alpha", "Beta"}, "3.+Gamma", 0},            // moved up
      {{"New", "Alpha", "Beta", "Gamma"}, "3.+Gamma", 3},     // moved down
      {{"Solo", "Alpha", "x", "y", "Alpha"}, "4.+Alpha", 4},  // the nearer of two
      {{"x", "Alpha", "y", "Alpha", "z"}, "3.+Alpha", 1},     // a tie: the lower
      {{"Alpha", "Beta"}, "3.+Some+Title", 2},                // gone: its position
      {{"Gamma", "Beta", "x"}, "3.", 2},                      // no title part
      {{"Gamma", "Beta", "x"}, "3.Gamma", 2},                 // no blank after the dot
      {{"x", "Rock & Roll"}, "1.+Rock+%26+Roll", 1},          // &amp; as the browser reads it
      {{"x", "A&#321;B"}, "1.+A%26%23321%3BB", 1},            // a reference as it is sent
      {{"x", "a  b\t"}, "1.+a+b", 1},                         // white space as it is sent
      {{"Long Alpha", "Long Gamma", "x"}, "1.+Gamma", 1, 5},  // cut as the page shows it
  };
  for (const Row& row : rows) {
    system_.player.playlist.entries = player_model::EntriesTitled(row.titles);
    system_.SetConfiguration("IMGDIR /i/\r\nWWWPATH /w/\r\nSSIWIDTH " + std::to_string(row.width));
    system_.player.log.clear();
    Post("play", std::string("MP3List=") + row.choice);
    EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(row.plays), kPlay})) << row.choice;
  }
}

TEST_F(RunTest, AChoiceWithATitleReadsThePlaylistFirstAndLocatesItOnce) {
  Post("play", "MP3List=2.+Beta");
  const auto& log = system_.player.log;
  const auto select = std::find(log.begin(), log.end(), Select(1));
  ASSERT_NE(select, log.end());
  EXPECT_EQ(log.front(), (LoggedMessage{QueryMessage, 0, WritePlaylist}));
  for (auto m = log.begin(); m != select; ++m) {
    EXPECT_TRUE(m->lparam == WritePlaylist || m->lparam == QueryPathChar ||
                m->lparam == QueryPlaylistDirectory || m->lparam == QuerySettingsDirectory)
        << m->lparam;
  }
  const auto path_queries = std::count_if(
      log.begin(), log.end(), [](const LoggedMessage& m) { return m.lparam == QueryPathChar; });
  EXPECT_EQ(path_queries, static_cast<long>(system_.player.program_path.size()) + 1);

  // Without a title part the request sends what it always did, the choice first.
  system_.player.log.clear();
  Post("play", "MP3List=2.");
  EXPECT_EQ(log.front(), Select(1));
}

TEST_F(RunTest, ARequestThatAnotherSiteMadeDoesNothing) {
  system_.player.playlist.state = player_model::PlayState::kPaused;
  system_.environment["HTTP_HOST"] = "pc:8080";
  system_.environment["HTTP_SEC_FETCH_SITE"] = "cross-site";
  for (const char* query : {"stop", "play", "forward"}) {
    system_.player.log.clear();
    EXPECT_EQ(State(Run(query)), "Paused") << query;
    EXPECT_TRUE(Sent().empty()) << query;
  }
  system_.player.log.clear();
  EXPECT_EQ(State(Post("play", "MP3List=3.+Gamma")), "Paused");
  EXPECT_TRUE(Sent().empty());
  system_.input_pieces.clear();  // left unread
  system_.environment["REQUEST_METHOD"] = "GET";

  for (const char* site : {"same-origin", "same-site", "none"}) {
    system_.environment["HTTP_SEC_FETCH_SITE"] = site;
    system_.player.log.clear();
    Run("stop");
    EXPECT_EQ(Sent(), std::vector<LoggedMessage>{kStop}) << site;
  }

  // A browser too old to say where a request comes from still names the
  // origin of a POST; a GET, and a request with neither header, act.
  system_.environment.erase("HTTP_SEC_FETCH_SITE");
  system_.environment["HTTP_ORIGIN"] = "http://elsewhere.example";
  system_.player.log.clear();
  Post("play", "MP3List=3.+Gamma");
  EXPECT_TRUE(Sent().empty());
  system_.environment["HTTP_ORIGIN"] = "http://PC:8080";
  system_.player.log.clear();
  Post("play", "MP3List=3.+Gamma");
  EXPECT_EQ(Sent(), (std::vector<LoggedMessage>{Select(2), kPlay}));
  system_.environment["HTTP_ORIGIN"] = "http://elsewhere.example";
  system_.environment["REQUEST_METHOD"] = "GET";
  system_.player.log.clear();
  Run("stop");
  EXPECT_EQ(Sent(), std::vector<LoggedMessage>{kStop});
}

TEST_F(RunTest, ASelectionWithoutANumberIsAnErrorAndSendsNothing) {
  system_.output_is_file = true;
  const std::string page = Post("play", "MP3List=Some+Title");
  EXPECT_TRUE(Sent().empty());
  EXPECT_FALSE(RefreshRan());
  EXPECT_EQ(page.rfind(kHeader, 0), 0u);
  EXPECT_NE(page.find("<PRE>Type mismatch Error Number =  13</PRE>"), std::string::npos);
  EXPECT_EQ(page.find("Winamp is"), std::string::npos);
}

TEST_F(RunTest, AMalformedEscapeNeverReachesTheHandler) {
  const std::string page = Run("x=%zz");
  EXPECT_TRUE(system_.player.log.empty());
  EXPECT_NE(page.find("<PRE>Invalid data passed to UrlDecode() function. Error Number =  65001"
                      "</PRE>"),
            std::string::npos);
  EXPECT_EQ(page.find("Winamp is"), std::string::npos);
}

TEST_F(RunTest, NoPlayerGivesTheClosedNoticeOfTheLayout) {
  system_.player.window = 0;
  EXPECT_EQ(Run("play"), std::string(kHeader) +
                             "<p><b>Winamp is Closed</b> | <a "
                             "href=\"/cgi-bin/tunaro/tunaro\">Refresh</a></p>\r\n<hr>\r\n"
                             "</body></html>\r\n");
  EXPECT_TRUE(system_.player.log.empty());
  system_.output.clear();
  system_.output_position = 0;
  system_.SetConfiguration("IMGDIR /img/\r\nWWWPATH /w/\r\nSSI 1\r\n");
  EXPECT_EQ(Run(""), std::string(kHeader) + "<b>Winamp is Closed</b>\r\n");
}

TEST_F(RunTest, TheCompactPanelWhenSsiIsOnWithoutTheSiteFiles) {
  system_.SetConfiguration(
      "IMGDIR /img/\r\nWWWPATH /w/\r\nSSI 1\r\nHEADERFILE C:\\h.txt\r\nFOOTERFILE C:\\f.txt\r\n");
  system_.SetFile("C:\\h.txt", "HEADER");
  system_.SetFile("C:\\f.txt", "FOOTER");
  const std::string out = Run("");
  EXPECT_EQ(out.rfind(std::string(kHeader) + "<form action=\"/w/tunaro?play\">", 0), 0u);
  EXPECT_EQ(out.substr(out.size() - 22), "</tr></table></form>\r\n");
  for (const char* absent : {"<html>", "HEADER", "FOOTER", "</body>"}) {
    EXPECT_EQ(out.find(absent), std::string::npos) << absent;
  }
}

TEST_F(RunTest, AMissingProgramFileEndsWithTheBareHeader) {
  system_.files.erase(system_.player.program_path);
  EXPECT_EQ(Run(""), kHeader);
}

TEST_F(RunTest, AnUnexpectedFailureStillGivesTheErrorPage) {
  system_.player.answer_hook = [](std::int32_t, std::int32_t) -> std::optional<std::int64_t> {
    throw 42;  // not one of ours
  };
  const std::string out = Run("");
  EXPECT_EQ(out.rfind(std::string(kHeader) + "<html><head><title>Internal Error", 0), 0u);
  EXPECT_NE(
      out.find("<PRE>An unexpected internal failure ended the run. Error Number =  65004</PRE>"),
      std::string::npos);
}

TEST_F(RunTest, ConfigurationProblems) {
  system_.files.clear();
  EXPECT_NE(Run("").find("<PRE>File not found Error Number =  53</PRE>"), std::string::npos);
  system_.output.clear();
  system_.output_position = 0;
  system_.SetConfiguration("IMGDIR /img/\r\nWWWPATH /w/\r\n");
  system_.files[system_.ConfigurationPath()].readable = false;
  EXPECT_NE(Run("").find("<PRE>Path/File access error Error Number =  75</PRE>"),
            std::string::npos);
  system_.files[system_.ConfigurationPath()].readable = true;
  system_.output.clear();
  system_.output_position = 0;
  system_.SetConfiguration("");
  EXPECT_EQ(Run(""), std::string(kHeader) +
                         "ERROR: ImgDir is null. Check your configuration file.<br>\r\n\r\n"
                         "ERROR: WWWPath is null. Check your configuration file.<br>\r\n\r\n");
}

TEST_F(RunTest, AnErrorAfterPartOfThePageOverAFileAndAPipe) {
  system_.SetConfiguration("IMGDIR /i/\r\nWWWPATH /w/\r\nFOOTERFILE C:\\foot.txt\r\n");
  system_.SetFile("C:\\foot.txt", "x");
  system_.files["C:\\foot.txt"].readable = false;
  system_.output_is_file = true;
  const std::string file_output = Run("");
  EXPECT_EQ(file_output.rfind(std::string(kHeader) + "<html><head><title>Internal Error", 0), 0u);
  EXPECT_EQ(file_output.find("Winamp is Running"), std::string::npos);

  // The same where the file cannot be cut, as under Wine.
  system_.output.clear();
  system_.output_position = 0;
  system_.truncate_fails = true;
  EXPECT_EQ(Run(""), file_output);

  FakeSystem pipe_system = system_;
  pipe_system.output.clear();
  pipe_system.output_position = 0;
  pipe_system.output_is_file = false;
  MainEntry(pipe_system);
  const std::string& piped = pipe_system.output;
  const std::size_t page_start = piped.find("Winamp is Running");
  const std::size_t error_start = piped.find("<html><head><title>Internal Error");
  ASSERT_NE(page_start, std::string::npos);
  ASSERT_NE(error_start, std::string::npos);
  EXPECT_LT(page_start, error_start);
  EXPECT_EQ(piped.substr(error_start - 27, 27), kHeader);
}

TEST_F(RunTest, AHungPlayerEndsInTheErrorPage) {
  system_.player.hangs_on = QueryLength;
  EXPECT_NE(Run("").find("The player did not answer"), std::string::npos);
}

TEST(ErrorTextTest, OneBlankBeforeNonNegativeNumbersAndMinusBeforeNegativeOnes) {
  EXPECT_EQ(ComposeErrorText("Overflow", 6), "Overflow Error Number =  6");
  EXPECT_EQ(ComposeErrorText("Zero", 0), "Zero Error Number =  0");
  EXPECT_EQ(ComposeErrorText("Bad", -2147467259), "Bad Error Number = -2147467259");
}

}  // namespace
}  // namespace tunaro
