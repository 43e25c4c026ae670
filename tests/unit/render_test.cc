#include <gtest/gtest.h>

#include "app/site_page.h"
#include "base/run_error.h"
#include "fixtures/fixture_file.h"
#include "player/player_status.h"
#include "render/compact_panel.h"
#include "render/full_page.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

using tunaro_fixtures::ReadFixture;

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
  // The pages' input as the request handler makes it from the settings.
  PageInput Page() { return PageInputFor(system_, settings_); }
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
    return Written([&](ResponseWriter& out) { RenderFullPage(out, Page(), status_); });
  }
  std::string Panel() {
    return Written([&](ResponseWriter& out) { RenderCompactPanel(out, Page(), status_); });
  }

  FakeSystem system_;
  Settings settings_;
  PlayerStatus status_;
};

// The settings and status of the process tests' page (the stand-in player
// with 13 titles, paused at entry 2, which plays at 192 kbit/s), so both
// compare against the same fixture.
void UseFixtureTitles(PlayerStatus& status) {
  status.EntryCount = 13;
  status.Titles = {"Alpha", "Beta", "Gamma", "Delta",  "Epsilon", "Zeta", "Eta",
                   "Theta", "Iota", "Kappa", "Lambda", "My",      "Ny",   ""};
}

TEST_F(RenderTest, FullPageByteForByte) {
  settings_.ImgDir = "/images/";
  settings_.BgColor = "#E8EEF4";
  UseFixtureTitles(status_);
  status_.BitRateText = "192";
  EXPECT_EQ(Full(), ReadFixture("full_page.html"));
}

TEST_F(RenderTest, CompactPanelByteForByte) {
  settings_.ImgDir = "/img/";
  settings_.WWWPath = "/panel/";
  settings_.BgColor = "silver";
  status_.StateText = "Playing";
  UseFixtureTitles(status_);
  status_.CurrentEntry = 2;
  status_.CurrentTitle = "Gamma";
  status_.BitRateText = "320";
  EXPECT_EQ(Panel(), ReadFixture("compact_panel.html"));
}

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

// Lines are handed over in blocks and the escapes are found in one search
// over all titles: a list far longer than one block, line for line.
TEST_F(RenderTest, ALongListIsWrittenLineForLine) {
  status_.EntryCount = 6000;
  status_.CurrentEntry = 4321;
  status_.Titles.Reset(6000);
  std::string expected = "name=MP3List>\r\n";
  for (int k = 0; k < 6000; ++k) {
    const std::string number = std::to_string(k);
    // Some with a character to escape first, one last, or none.
    status_.Titles.Append(k % 7 == 0   ? "\"" + number + "\" & b"
                          : k % 7 == 3 ? "Title " + number + " <"
                                       : "Title number " + number);
    const std::string shown = k % 7 == 0   ? "&quot;" + number + "&quot; &amp; b"
                              : k % 7 == 3 ? "Title " + number + " &lt;"
                                           : "Title number " + number;
    expected += (k == 4321 ? "<option selected>" : "<option>") + std::to_string(k + 1) + ". " +
                shown + "</option>\r\n";
  }
  EXPECT_NE(Full().find(expected + "</select>"), std::string::npos);
}

// The titles are escaped as the page is written; they come from the status.
TEST_F(RenderTest, TitlesCannotInjectMarkup) {
  system_.player.playlist.entries =
      player_model::EntriesTitled({"<script>alert(1)</script>", "Tom & \"Jerry\"", "x>y"});
  system_.player.playlist.current = 0;
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

// The player's UTF-8 copy: a character of the code page goes onto the page as
// its bytes there, any other as a reference, the escapes as ever. Titles are
// cut by the copy's characters, so a reference stands for one.
TEST_F(RenderTest, TheCopysTitlesInTheCodePagesBytesOrAsReferences) {
  system_.SetFile(system_.player.program_path, "MZ");
  const auto refresh = [&](std::int16_t width) {
    status_ = PlayerStatus{};
    status_.PlayerWindow = system_.player.window;
    RefreshPlayerStatus(system_, width, status_);
  };
  // Titles in the code page's bytes and in UTF-8, entry by entry.
  const auto set_titles = [&](const std::vector<std::string>& ansi,
                              const std::vector<std::string>& utf8, std::int32_t current) {
    system_.player.playlist.entries = player_model::EntriesTitled(ansi);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      system_.player.playlist.entries[i].utf8_title = utf8[i];
    }
    system_.player.traits.utf8_copy = true;
    system_.player.playlist.current = current;
  };
  const std::string lodz =
      "&#321;\xF3"
      "d&#378;";
  set_titles({"??????",
              "?\xF3"
              "d?",
              "a & b"},
             {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA",
              "a & b"},
             1);
  refresh(0);
  const std::string page = Full();
  EXPECT_NE(page.find("<option>1. &#1055;&#1088;&#1080;&#1074;&#1077;&#1090;</option>\r\n"
                      "<option selected>2. " +
                      lodz + "</option>\r\n<option>3. a &amp; b</option>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<b>" + lodz + "</b>"), std::string::npos);
  refresh(3);
  const std::string panel = Panel();
  EXPECT_NE(panel.find("<option>1. &#1074;&#1077;&#1090;</option>"), std::string::npos) << panel;
  EXPECT_NE(panel.find("<b>\xF3"
                       "d&#378;</b>"),
            std::string::npos);
  // Each title in its own text: a current title that came from the ANSI file.
  status_.CurrentTitle = "Caf\xE9";
  status_.CurrentTitleInUtf8 = false;
  EXPECT_NE(Panel().find("<b>Caf\xE9</b>"), std::string::npos);

  // On a Japanese Windows its own characters are its bytes, a backslash as
  // second byte among them.
  system_.code_page = 932;
  system_.ansi_characters = {{U'\u30BD', "\x83\x5C"}};
  set_titles({"\x83\x5C?"}, {"\xE3\x82\xBD\xC5\x81"}, 0);  // ソŁ
  refresh(0);
  EXPECT_NE(Full().find("<option selected>1. \x83\x5C&#321;</option>"), std::string::npos);
  EXPECT_NE(Full().find("<b>\x83\x5C&#321;</b>"), std::string::npos);
  refresh(1);
  EXPECT_NE(Full().find("<option selected>1. &#321;</option>"), std::string::npos);
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
  const std::string without_site_files = Full();
  settings_.HeaderFile = "C:\\site\\head.txt";
  settings_.FooterFile = "C:\\site";
  system_.SetFile(settings_.HeaderFile, "HEADER");
  system_.files[settings_.HeaderFile].hidden = true;
  system_.files[settings_.FooterFile].directory = true;
  EXPECT_EQ(Full(), without_site_files);
  settings_.HeaderFile = "C:\\nothing.txt";
  EXPECT_EQ(Full(), without_site_files);
}

TEST_F(RenderTest, AnUnreadableSiteFileIsAnError) {
  settings_.HeaderFile = "C:\\site\\head.txt";
  system_.SetFile(settings_.HeaderFile, "x");
  system_.files[settings_.HeaderFile].readable = false;
  EXPECT_THROW(Full(), RunError);
}

TEST_F(RenderTest, ClosedNotices) {
  EXPECT_EQ(Written([&](ResponseWriter& out) { RenderClosedPage(out, Page()); }),
            "<p><b>Winamp is Closed</b> | <a href=\"/cgi-bin/tunaro/tunaro\">Refresh</a></p>\r\n"
            "<hr>\r\n</body></html>\r\n");
  EXPECT_EQ(Written([](ResponseWriter& out) { RenderClosedPanel(out); }),
            "<b>Winamp is Closed</b>\r\n");
}

}  // namespace
}  // namespace tunaro
