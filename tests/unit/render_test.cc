#include <gtest/gtest.h>

#include "base/run_error.h"
#include "platform/fake_system.h"
#include "platform/text_lines.h"
#include "player/player_status.h"
#include "render/compact_panel.h"
#include "render/copy_file_to_output.h"
#include "render/full_page.h"

namespace tunaro {
namespace {

class RenderTest : public ::testing::Test {
 protected:
  RenderTest() {
    settings_.ImgDir = "/img/";
    settings_.WWWPath = "/cgi-bin/tunaro/";
    settings_.BgColor = "#C0C0C0";
    status_.StateText = "Paused";
    status_.EntryCount = 3;
    status_.Titles = {"Alpha", "Beta", "Gamma", ""};
    status_.CurrentTitle = "Beta";
    status_.CurrentEntry = 1;
    status_.BitRateText = "128";
    status_.SampleRateText = "44,000";
    status_.LengthText = "3:25";
  }
  // What a renderer writes from the test's settings and status.
  template <typename Render>
  std::string Written(Render render) {
    system_.output.clear();
    system_.output_position = 0;
    ResponseWriter out(system_, FakeSystem::kOutput);
    render(out);
    out.Flush();
    return system_.output;
  }
  std::string Full() {
    return Written([&](ResponseWriter& out) { RenderFullPage(system_, out, settings_, status_); });
  }
  std::string Panel() {
    return Written(
        [&](ResponseWriter& out) { RenderCompactPanel(system_, out, settings_, status_); });
  }

  FakeSystem system_;
  Settings settings_;
  PlayerStatus status_;
};

const char kFullPage[] =
    "<html><head><title>Tunaro</title></head><body bgcolor=\"#FFFFFF\">\r\n"
    "<p>Winamp is Running (<b>Paused</b>)</p>\r\n"
    "<form method=\"POST\" action=\"/cgi-bin/tunaro/tunaro?play\">\r\n"
    "<table border=0 cellpadding=3 cellspacing=0 bgcolor=#C0C0C0 width=450><tr>\r\n"
    "<td align=center><a href=\"/cgi-bin/tunaro/tunaro?previous\"><img border=0 "
    "src=\"/img/previous.gif\"></a></td>\r\n"
    "<td align=center><input type=\"image\"src=\"/img/play.gif\" border=0 value=\"submit\" "
    "id=play name=play></td>\r\n"
    "<td align=center><a href=\"/cgi-bin/tunaro/tunaro?pause\"><img border=0 "
    "src=\"/img/pause.gif\"></a></td>\r\n"
    "<td align=center><a href=\"/cgi-bin/tunaro/tunaro?stop\"><img border=0 "
    "src=\"/img/stop.gif\"></a></td>\r\n"
    "<td align=center><a href=\"/cgi-bin/tunaro/tunaro?forward\"><img border=0 "
    "src=\"/img/forward.gif\"></a></td></tr></table>\r\n"
    "<table border=0 cellpadding=0 cellspacing=0 width=450 bgcolor=#C0C0C0>\r\n"
    "<tr><td align=center><select size=10 name=MP3List>\r\n"
    "<option>1. Alpha</option>\r\n"
    "<option selected>2. Beta</option>\r\n"
    "<option>3. Gamma</option>\r\n"
    "</select></td></tr></table><table border=0 cellpadding=0 cellspacing=0 width=450 "
    "bgcolor=#C0C0C0><tr><td align=center width=100%>\r\n"
    "<a href=\"/cgi-bin/tunaro/tunaro\"><b>Refresh Page</b></a></td>\r\n"
    "</tr></table></form>\r\n"
    "Song Name: <font color=#FF0000><b>Beta</b></font><br>\r\n"
    "Kbps: <font color=#FF0000>128</font><br>\r\n"
    "KHz: <font color=#FF0000>44,000</font><br>\r\n"
    "Length: <font color=#FF0000>3:25</font><br>\r\n"
    "<font size=1>Tunaro v1.0.3</font></p>\r\n"
    "</body></html>\r\n";

const char kPanel[] =
    "<form action=\"/cgi-bin/tunaro/tunaro?play\"><table bgcolor=\"#C0C0C0\" border=0 "
    "cellpadding=0 cellspacing=0>\r\n"
    "<tr><td><small>Paused</small></td>\r\n"
    "<td align=right>\r\n"
    "<a href=\"/cgi-bin/tunaro/tunaro?previous\"><img border=0 width=22 height=18 "
    "src=\"/img/previous.gif\"></a>\r\n"
    "<input type=\"image\"src=\"/img/play.gif\" border=0 value=\"submit\" id=play name=play>\r\n"
    "<a href=\"/cgi-bin/tunaro/tunaro?pause\"><img border=0 width=22 height=18 "
    "src=\"/img/pause.gif\"></a>\r\n"
    "<a href=\"/cgi-bin/tunaro/tunaro?stop\"><img border=0 width=22 height=18 "
    "src=\"/img/stop.gif\"></a>\r\n"
    "<a href=\"/cgi-bin/tunaro/tunaro?forward\"><img border=0 width=22 height=18 "
    "src=\"/img/forward.gif\"></a>\r\n"
    "</td></tr><tr><td colspan=2><select size=1 name=MP3List>\r\n"
    "<option>1. Alpha</option>\r\n"
    "<option selected>2. Beta</option>\r\n"
    "<option>3. Gamma</option>\r\n"
    "</select></td></tr>\r\n"
    "<tr><td colspan=2 align=center><small><b>Beta</b></small></td></tr>\r\n"
    "<tr><td colspan=2><small><b>128</b>kbps | <b>44,000</b>hz | <b>3:25</b></small></td>\r\n"
    "</tr></table></form>\r\n";

TEST_F(RenderTest, FullPageByteForByte) { EXPECT_EQ(Full(), kFullPage); }

TEST_F(RenderTest, CompactPanelByteForByte) { EXPECT_EQ(Panel(), kPanel); }

TEST_F(RenderTest, EveryAddressFollowsWwwPathAndTheProgramsName) {
  settings_.WWWPath = "/music/remote/";
  system_.executable_base_name = "Player Remote";
  for (const std::string& out : {Full(), Panel()}) {
    EXPECT_EQ(out.find("/cgi-bin/"), std::string::npos);
    for (const char* word : {"play", "previous", "pause", "stop", "forward"}) {
      EXPECT_NE(out.find(std::string("\"/music/remote/Player Remote?") + word + "\""),
                std::string::npos)
          << word;
    }
  }
}

TEST_F(RenderTest, EmptyPlaylistAndEmptyValues) {
  status_ = PlayerStatus{};
  status_.Titles = {""};
  const std::string page = Full();
  EXPECT_NE(page.find("name=MP3List>\r\n</select>"), std::string::npos);
  EXPECT_NE(page.find("Song Name: <font color=#FF0000><b></b></font><br>\r\n"), std::string::npos);
  const std::string panel = Panel();
  EXPECT_NE(panel.find("name=MP3List>\r\n</select></td></tr>\r\n"), std::string::npos);
  EXPECT_NE(panel.find("<tr><td colspan=2><small><b></b>kbps | <b></b>hz | <b></b></small></td>"),
            std::string::npos);
}

TEST_F(RenderTest, MarksTheEntryAtTheCurrentPositionOnly) {
  status_.Titles = {"Beta", "Beta", "Beta", ""};
  status_.CurrentEntry = 2;
  const char kOptions[] =
      "<option>1. Beta</option>\r\n<option>2. Beta</option>\r\n<option selected>3. Beta</option>";
  EXPECT_NE(Full().find(kOptions), std::string::npos);
  EXPECT_NE(Panel().find(kOptions), std::string::npos);
  // Outside the list, and with no titles at all (no playlist file), none.
  status_.Titles = {"", "", "", ""};
  for (std::int32_t outside : {-1, 3, 70000}) {
    status_.CurrentEntry = outside;
    EXPECT_EQ(Full().find("selected"), std::string::npos) << outside;
  }
}

// The titles are escaped as the status is read, so they go through it here.
TEST_F(RenderTest, TitlesCannotInjectMarkup) {
  system_.player.titles = {"<script>alert(1)</script>", "Tom & \"Jerry\"", "x>y"};
  system_.player.current = 0;
  system_.SetFile(system_.player.program_path, "MZ");
  status_.PlayerWindow = system_.player.window;
  RefreshPlayerStatus(system_, 0, status_);
  for (const std::string& out : {Full(), Panel()}) {
    EXPECT_EQ(out.find("<script>"), std::string::npos);
    EXPECT_NE(out.find("<option selected>1. &lt;script&gt;alert(1)&lt;/script&gt;</option>"),
              std::string::npos);
    EXPECT_NE(out.find("2. Tom &amp; &quot;Jerry&quot;</option>"), std::string::npos);
    EXPECT_NE(out.find("<b>&lt;script&gt;alert(1)&lt;/script&gt;</b>"), std::string::npos);
  }
}

TEST_F(RenderTest, HeaderAndFooterFilesReplaceTheDefaultLines) {
  settings_.HeaderFile = "C:\\site\\head.txt";
  settings_.FooterFile = "C:\\site\\foot.txt";
  system_.SetFile(settings_.HeaderFile, "<html><body>\r\nWelcome, friends\r\n\"a, b\"\r\n");
  system_.SetFile(settings_.FooterFile, "");
  const std::string page = Full();
  EXPECT_EQ(page.rfind("<html><body>\r\nWelcome\r\nfriends\r\na, b\r\n<p>Winamp is Running", 0),
            0u);
  const std::string last_line = "<font size=1>Tunaro v1.0.3</font></p>\r\n";
  EXPECT_EQ(page.substr(page.size() - last_line.size()), last_line);
}

TEST_F(RenderTest, HiddenDirectoryOrMissingSiteFilesAreIgnored) {
  settings_.HeaderFile = "C:\\site\\head.txt";
  settings_.FooterFile = "C:\\site";
  system_.SetFile(settings_.HeaderFile, "HEADER");
  system_.files[settings_.HeaderFile].hidden = true;
  system_.files[settings_.FooterFile].directory = true;
  EXPECT_EQ(Full(), kFullPage);
  settings_.HeaderFile = "C:\\nothing.txt";
  EXPECT_EQ(Full(), kFullPage);
}

TEST_F(RenderTest, AnUnreadableSiteFileIsAnError) {
  settings_.HeaderFile = "C:\\site\\head.txt";
  system_.SetFile(settings_.HeaderFile, "x");
  system_.files[settings_.HeaderFile].readable = false;
  EXPECT_THROW(Full(), RunError);
}

TEST_F(RenderTest, ClosedNotices) {
  EXPECT_EQ(Written([&](ResponseWriter& out) { RenderClosedPage(system_, out, settings_); }),
            "<p><b>Winamp is Closed</b> | <a href=\"/cgi-bin/tunaro/tunaro\">Refresh</a></p>\r\n"
            "<hr>\r\n</body></html>\r\n");
  EXPECT_EQ(Written([](ResponseWriter& out) { RenderClosedPanel(out); }),
            "<b>Winamp is Closed</b>\r\n");
}

std::vector<std::string> Fields(const std::string& content) {
  std::vector<std::string> out;
  FieldReader reader(content);
  while (!reader.AtEnd()) out.push_back(reader.NextField());
  return out;
}

TEST(FieldReaderTest, CommasBreakQuotesVanishLeadingBlanksGo) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(Fields("Welcome, friends\r\n"), (Strings{"Welcome", "friends"}));
  EXPECT_EQ(Fields("  \"a, b\" tail, c\r\n"), (Strings{"a, b", "c"}));
  EXPECT_EQ(Fields("<p>\n  <b>x</b>\n"), (Strings{"<p>", "<b>x</b>"}));
  EXPECT_EQ(Fields(""), Strings{});
  EXPECT_EQ(Fields("one\r\n\r\ntwo"), (Strings{"one", "", "two"}));
  EXPECT_EQ(Fields("\"open"), (Strings{"open"}));
  EXPECT_EQ(Fields("\"x\r\ny\""), (Strings{"x\r\ny"}));
  EXPECT_EQ(Fields("a\rb"), (Strings{"a", "b"}));
}

}  // namespace
}  // namespace tunaro
