// Whole requests through the real tunaro.exe under Wine: the commands that
// reach the stand-in player and the pages that come back.
#include <gtest/gtest.h>

#include "fixtures/fixture_file.h"
#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::LoggedCommand;
using harness::LoggedMessage;
using harness::LoggedQuery;
using harness::RunCgi;
using harness::StandinPlayer;
using tunaro_fixtures::ReadFixture;
using Messages = std::vector<LoggedMessage>;

const LoggedMessage kPlay = LoggedCommand(tunaro::CommandPlay);
const LoggedMessage kStop = LoggedCommand(tunaro::CommandStop);
const LoggedMessage kPause = LoggedCommand(tunaro::CommandPause);
const LoggedMessage kPrevious = LoggedCommand(tunaro::CommandPrevious);
const LoggedMessage kNext = LoggedCommand(tunaro::CommandNext);
LoggedMessage Select(long long index) { return LoggedQuery(tunaro::SetCurrentEntry, index); }

const std::vector<std::string> kTitles = {"Alpha",  "Beta", "Gamma", "Delta", "Epsilon",
                                          "Zeta",   "Eta",  "Theta", "Iota",  "Kappa",
                                          "Lambda", "My",   "Ny"};

class PagesTest : public ::testing::Test {
 protected:
  void StartPlayer(std::vector<std::string> args = {}) {
    args.push_back("--playlist");
    args.push_back(
        harness::WindowsPath(lists_.WriteFile("list.m3u", PlaylistText(EntriesTitled(kTitles)))));
    player_ = std::make_unique<StandinPlayer>(args);
    ASSERT_TRUE(player_->ready());
  }
  // Runs the request and returns the page once the player has logged the
  // refresh and `sent` more messages.
  std::string Run(const harness::CgiRequest& request, std::size_t sent) {
    player_->ClearLog();
    harness::CgiResult result = RunCgi(request);
    EXPECT_FALSE(result.timed_out);
    // A command the player has not logged yet would be blamed on the next run.
    EXPECT_TRUE(
        player_->WaitForLogCount(RefreshMessages(player_->program_path().size()).size() + sent))
        << "the player logged only " << player_->Log().size() << " messages";
    return result.output;
  }
  Messages Sent() const { return RequestMessages(player_->Log()); }

  harness::TempDir lists_;
  std::unique_ptr<StandinPlayer> player_;
  TunaroInstall install_;
};

// The stand-in player's state after the commands of `log`, starting from
// `state`; with `at_state_query`, as it answered the page's state query.
// Posted commands may reach it before or after that query, and its log tells
// which.
std::string PlayerState(const Messages& log, std::string state, bool at_state_query) {
  for (const LoggedMessage& m : log) {
    if (at_state_query && m == LoggedQuery(tunaro::QueryPlayState, 0)) break;
    if (m == kPlay) state = "Playing";
    if (m == kStop) state = "Stopped";
    if (m == kPause && state != "Stopped") state = state == "Playing" ? "Paused" : "Playing";
  }
  return state;
}

TEST_F(PagesTest, EveryRowOfTheDispatchTable) {
  StartPlayer({"--state", "paused", "--current", "4"});
  std::string state = "Paused";
  struct Row {
    const char* query;
    Messages sent;
    const char* state;  // nullptr: what the player reports
  } rows[] = {
      {"pause", {kPause}, nullptr},
      {"play", {kPlay}, "Playing"},
      {"PLAY", {kPlay}, "Playing"},
      {"stop", {kStop}, nullptr},
      {"previous", {kPrevious, kPlay}, "Playing"},
      {"forward", {kNext, kPlay}, "Playing"},
      {"track", {}, "Playing"},
      {"", {}, nullptr},
      {"play&x=1", {}, nullptr},
      {"Stop ", {}, nullptr},
      {" play", {}, nullptr},
      {"next", {}, nullptr},
  };
  for (const Row& row : rows) {
    const std::string page = Run(install_.Get(row.query), row.sent.size());
    EXPECT_EQ(Sent(), row.sent) << row.query;
    const std::string reported = PlayerState(player_->Log(), state, true);
    EXPECT_EQ(ShownState(page), row.state != nullptr ? row.state : reported) << row.query;
    state = PlayerState(player_->Log(), state, false);
  }
  // The player acted on them: after stop and a plain view it reports stopped.
  Run(install_.Get("stop"), 1);
  EXPECT_EQ(ShownState(Run(install_.Get(), 0)), "Stopped");
}

TEST_F(PagesTest, TheTypicalRequestPlaysTheChosenEntry) {
  StartPlayer();
  const std::string page =
      Run(install_.Post("play", "MP3List=3.+Gamma"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(2), kPlay}));
  EXPECT_EQ(ShownState(page), "Playing");
  EXPECT_NE(page.find("<option selected>3. Gamma</option>"), std::string::npos);
  EXPECT_NE(page.find("Song Name: <font color=#FF0000><b>Gamma</b></font><br>"), std::string::npos);
}

TEST_F(PagesTest, SelectionForms) {
  StartPlayer();
  Run(install_.Post("play", "MP3List=12.+A.B.+Band"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(11), kPlay}));

  Run(install_.Post("play", "MP3List=2.+Beta&mp3list=5.+Epsilon"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(1), kPlay}));

  Run(install_.Post("stop", "MP3List=4.+Delta"), 3 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(3), kPlay, kStop}));

  // The compact panel's form arrives as a query string; a long one is read
  // whole.
  Run(install_.Get("MP3List=6.+Zeta&play.x=4&play.y=7"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(5), kPlay}));
  Run(install_.Get("play.x=4&play.y=7&pad=" + std::string(300, 'p') + "&MP3List=7.+Eta"),
      2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(6), kPlay}));

  // A body that reaches the program in two pieces is read whole.
  harness::CgiRequest split = install_.Post("play", "MP3List=10.+Kappa");
  split.split_at = 9;
  const std::string page = Run(split, 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(9), kPlay}));
  EXPECT_NE(page.find("<option selected>10. Kappa</option>"), std::string::npos);
}

TEST_F(PagesTest, AStaleSelectionPlaysTheEntryThatShowsItsTitleNow) {
  StartPlayer();
  // Gamma is the third entry now; a page from before shows it fifth.
  Run(install_.Post("play", "MP3List=5.+Gamma"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(2), kPlay}));
  // A title that no entry shows: the position, as always.
  Run(install_.Post("play", "MP3List=3.+Some+Title"), 2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(2), kPlay}));
}

TEST_F(PagesTest, RequestsThatAnotherSiteMadeDoNothing) {
  StartPlayer({"--state", "paused"});
  auto from = [](harness::CgiRequest request, const char* site) {
    request.extra_environment["HTTP_SEC_FETCH_SITE"] = site;
    request.extra_environment["HTTP_HOST"] = "127.0.0.1:8080";
    return request;
  };
  std::string page = Run(from(install_.Get("stop"), "cross-site"), 0);
  EXPECT_EQ(ShownState(page), "Paused");
  page = Run(from(install_.Post("play", "MP3List=3.+Gamma"), "cross-site"), 0);
  EXPECT_EQ(ShownState(page), "Paused");
  EXPECT_NE(page.find("<option selected>1. Alpha</option>"), std::string::npos);
  // An old browser's POST from another origin.
  harness::CgiRequest old = install_.Post("play", "MP3List=3.+Gamma");
  old.extra_environment = {{"HTTP_ORIGIN", "http://localhost:8080"},
                           {"HTTP_HOST", "127.0.0.1:8080"}};
  Run(old, 0);
  EXPECT_TRUE(Sent().empty());
  // Our own page's request acts.
  Run(from(install_.Get("stop"), "same-origin"), 1);
  EXPECT_EQ(Sent(), (Messages{kStop}));
}

TEST_F(PagesTest, ASelectionWithoutADotSendsNothing) {
  StartPlayer();
  player_->ClearLog();
  harness::CgiResult result = RunCgi(install_.Post("play", "MP3List=Some+Title"));
  EXPECT_NE(result.output.find("<PRE>Type mismatch Error Number =  13</PRE>"), std::string::npos);
  EXPECT_EQ(result.output.find("Winamp is"), std::string::npos);
  // A query tells when the player has handled everything before it.
  ASSERT_TRUE(harness::ProbeQuery(tunaro::QueryEntryCount, 0).has_value());
  EXPECT_EQ(player_->Log(), (Messages{LoggedQuery(tunaro::QueryEntryCount, 0)}));
}

// The same bytes as the renderers' unit tests expect.
TEST_F(PagesTest, TheFullPageByteForByte) {
  // Every entry of EntriesTitled() is 205 s long; the stand-in plays entry 2 at 192
  // kbit/s and 44 kHz.
  StartPlayer({"--state", "paused", "--current", "1"});
  EXPECT_EQ(Run(install_.Get(), 0), kHeaderBlock + ReadFixture("full_page.html"));
}

TEST_F(PagesTest, TheCompactPanelByteForByte) {
  // Entry 3 plays at 320 kbit/s.
  StartPlayer({"--current", "2"});
  install_.Configure("IMGDIR /img/\r\nWWWPATH /panel/\r\nBGCOLOR silver\r\nSSI 1\r\n");
  EXPECT_EQ(Run(install_.Get("track"), 0), kHeaderBlock + ReadFixture("compact_panel.html"));
}

TEST_F(PagesTest, HeaderAndFooterFilesWithCommasAndQuotes) {
  StartPlayer();
  const std::string header = install_.dir().WriteFile(
      "header.txt",
      "<html><head><title>My, player</title>\r\n"
      "  \"<style>body { font-family: a, b; }</style>\"\r\n</head><body>\r\n");
  const std::string footer = install_.dir().WriteFile("footer.txt", "<p>Bye</p></body></html>");
  install_.Configure(std::string(kDefaultConfiguration) + "HEADERFILE " +
                     harness::WindowsPath(header) + "\r\nFOOTERFILE " +
                     harness::WindowsPath(footer) + "\r\n");
  const std::string page = Run(install_.Get(), 0);
  EXPECT_EQ(page.rfind(std::string(kHeaderBlock) +
                           "<html><head><title>My\r\nplayer</title>\r\n"
                           "<style>body { font-family: a, b; }</style>\r\n</head><body>\r\n"
                           "<p>Winamp is Running",
                       0),
            0u);
  const std::string tail = "<font size=1>Tunaro v1.0.3</font></p>\r\n<p>Bye</p></body></html>\r\n";
  EXPECT_EQ(page.substr(page.size() - tail.size()), tail);
}

TEST_F(PagesTest, AHiddenHeaderFileIsIgnored) {
  StartPlayer();
  // Wine shows files whose names start with a dot as hidden.
  const std::string header = install_.dir().WriteFile(".header.txt", "<html><body>SECRET\r\n");
  install_.Configure(std::string(kDefaultConfiguration) + "HEADERFILE " +
                     harness::WindowsPath(header) + "\r\n");
  const std::string page = Run(install_.Get(), 0);
  EXPECT_EQ(page.find("SECRET"), std::string::npos);
  EXPECT_NE(page.find("<html><head><title>Tunaro</title></head>"), std::string::npos);
}

TEST_F(PagesTest, TitlesCannotInjectScriptAndStillRoundTrip) {
  harness::TempDir lists;
  const std::string evil = "<script>alert(\"x\")</script> & more";
  player_ = std::make_unique<StandinPlayer>(std::vector<std::string>{
      "--playlist", harness::WindowsPath(
                        lists.WriteFile("evil.m3u", PlaylistText(EntriesTitled({"Fine", evil}))))});
  ASSERT_TRUE(player_->ready());
  const std::string escaped = "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; more";
  const std::string page = Run(install_.Get(), 0);
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_NE(page.find("<option>2. " + escaped + "</option>"), std::string::npos);
  // A browser posts the option's decoded text, which names the entry.
  const std::string posted = Run(
      install_.Post("play", "MP3List=2.+%3Cscript%3Ealert%28%22x%22%29%3C%2Fscript%3E+%26+more"),
      2 + kTitledChoiceExtraQueries);
  EXPECT_EQ(Sent(), (Messages{Select(1), kPlay}));
  EXPECT_NE(posted.find("<option selected>2. " + escaped + "</option>"), std::string::npos);
  EXPECT_NE(posted.find("<b>" + escaped + "</b>"), std::string::npos);
}

// A footer that exists but cannot be read fails after most of the page is out.
class FailingFooterTest : public PagesTest {
 protected:
  std::string Configure() {
    // A kernel file that only takes writes: it passes the existence test and
    // then cannot be opened for reading, even by root.
    install_.Configure(std::string(kDefaultConfiguration) +
                       "FOOTERFILE Z:\\proc\\sys\\vm\\drop_caches\r\n");
    return "";
  }
};

TEST_F(FailingFooterTest, AnErrorAfterPartOfThePageOverAFileAndAPipe) {
  StartPlayer();
  Configure();
  harness::CgiRequest request = install_.Get();
  request.output_to_file = true;
  const std::string file_output = Run(request, 0);
  EXPECT_EQ(file_output.rfind(std::string(kHeaderBlock) +
                                  "<html><head><title>Internal Error</title></head><body>\r\n",
                              0),
            0u);
  EXPECT_EQ(file_output.find("Winamp is Running"), std::string::npos);
  EXPECT_EQ(file_output.substr(file_output.size() - 16), "</body></html>\r\n");

  request.output_to_file = false;
  const std::string piped = Run(request, 0);
  const std::size_t page = piped.find("Winamp is Running");
  const std::size_t error =
      piped.find("Content-type: text/html\r\n\r\n<html><head><title>Internal");
  ASSERT_NE(page, std::string::npos);
  ASSERT_NE(error, std::string::npos);
  EXPECT_LT(page, error);
  EXPECT_NE(piped.find("<font size=1>Tunaro v1.0.3</font></p>\r\nContent-type: text/html\r\n\r\n"),
            std::string::npos);
}

}  // namespace
}  // namespace tunaro_test
