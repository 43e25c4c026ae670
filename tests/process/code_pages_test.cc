// The real program under Wine with the system's ANSI code page set by the
// locale: double-byte titles, file names and program folders whose second
// bytes include the backslash, and the player's UTF-8 copy on a Western
// Windows.
#include <gtest/gtest.h>

#include "harness/wine_harness.h"
#include "tunaro_install.h"

namespace tunaro_test {
namespace {

using harness::Environment;
using harness::RunCgi;
using harness::StandinPlayer;
using player_model::Entry;
using player_model::Utf8PlaylistText;

// A UTF-8 list (Utf8PlaylistText) for the stand-in player: it keeps what the
// ANSI code page holds of each name, "?" for the rest, and writes its .m3u in
// those bytes.
class CodePageTest : public ::testing::Test {
 protected:
  void StartPlayer(const std::string& utf8_list, std::vector<std::string> args,
                   const Environment& environment = {}) {
    lists_.WriteFile("list.m3u8", utf8_list);
    args.push_back("--playlist");
    args.push_back(harness::WindowsPath(lists_.WriteFile("list.m3u", PlaylistText({}))));
    player_ =
        std::make_unique<StandinPlayer>(args, harness::CurrentPlayerFolder::kPrivate, environment);
    ASSERT_TRUE(player_->ready());
  }
  std::string Run(harness::CgiRequest request, const Environment& environment = {}) {
    request.extra_environment.insert(environment.begin(), environment.end());
    const harness::CgiResult result = RunCgi(request);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.output.rfind(kHeaderBlock, 0), 0u) << result.output;
    return result.output;
  }

  harness::TempDir lists_;
  std::unique_ptr<StandinPlayer> player_;
  TunaroInstall install_;
};

// Two titles in a locale's ANSI code page, "許功蓋" and "表示ソナタ", and the
// last two characters of the second.
struct DoubleByteCase {
  std::string locale;
  std::string first;
  std::string second;
  std::string second_cut;
};

class DoubleByteTest : public CodePageTest, public ::testing::WithParamInterface<DoubleByteCase> {};

// Each title twice: from an information line, then from a file name alone
// (every second entry is bare), in folders of the same name.
std::string DoubleByteList() {
  const std::string first = "\xE8\xA8\xB1\xE5\x8A\x9F\xE8\x93\x8B";  // 許功蓋
  const std::string second =
      "\xE8\xA1\xA8\xE7\xA4\xBA\xE3\x82\xBD\xE3\x83\x8A\xE3\x82\xBF";  // 表示ソナタ
  return Utf8PlaylistText(
      {Entry{first, "C:\\Music\\a.mp3", 200},
       Entry{"", "C:\\Music\\" + first + "\\" + first + ".mp3", 200},
       Entry{second, "C:\\Music\\b.mp3", 200}, Entry{"", "C:\\Music\\" + second + ".mp3", 200}},
      {player_model::LineEnd::kCrLf, 2});
}

TEST_P(DoubleByteTest, TitlesAndFileNamesAreCutByWholeCharacters) {
  const DoubleByteCase& c = GetParam();
  const Environment environment = {{"LC_ALL", c.locale}};
  StartPlayer(DoubleByteList(), {"--bare-entries", "2", "--current", "3"}, environment);
  const std::string page = Run(install_.Get(), environment);
  EXPECT_NE(page.find("<option>1. " + c.first + "</option>\r\n<option>2. " + c.first +
                      "</option>\r\n<option>3. " + c.second + "</option>\r\n<option selected>4. " +
                      c.second + "</option>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<b>" + c.second + "</b>"), std::string::npos) << page;

  // The last two characters, whatever their second bytes are.
  const std::string first_cut = c.first.substr(2), &second_cut = c.second_cut;
  install_.Configure(std::string(kDefaultConfiguration) + "SSI 1\r\nSSIWIDTH 2\r\n");
  const std::string panel = Run(install_.Get(), environment);
  EXPECT_NE(panel.find("<option>1. " + first_cut + "</option>\r\n<option>2. " + first_cut +
                       "</option>\r\n<option>3. " + second_cut +
                       "</option>\r\n<option selected>4. " + second_cut + "</option>\r\n"),
            std::string::npos)
      << panel;
  EXPECT_NE(panel.find("<small><b>" + second_cut + "</b></small>"), std::string::npos) << panel;
  // Wider than the title: whole, without a stray byte before it.
  install_.Configure(std::string(kDefaultConfiguration) + "SSI 1\r\nSSIWIDTH 4\r\n");
  EXPECT_NE(Run(install_.Get(), environment).find("<option>1. " + c.first + "</option>"),
            std::string::npos);
  install_.Configure(kDefaultConfiguration);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, DoubleByteTest,
    ::testing::Values(
        DoubleByteCase{"ja_JP.UTF-8", "\x8B\x96\x8C\xF7\x8A\x57",
                       "\x95\x5C\x8E\xA6\x83\x5C\x83\x69\x83\x5E", "\x83\x69\x83\x5E"},
        DoubleByteCase{"zh_CN.UTF-8", "\xD4\x53\xB9\xA6\xC9\x77",
                       "\xB1\xED\xCA\xBE\xA5\xBD\xA5\xCA\xA5\xBF", "\xA5\xCA\xA5\xBF"},
        DoubleByteCase{"ko_KR.UTF-8", "\xFA\xC9\xCD\xED\xCB\xCF",
                       "\xF8\xFA\xE3\xC6\xAB\xBD\xAB\xCA\xAB\xBF", "\xAB\xCA\xAB\xBF"},
        // This code page has no katakana: a "?" for each.
        DoubleByteCase{"zh_TW.UTF-8", "\xB3\x5C\xA5\x5C\xBB\x5C", "\xAA\xED\xA5\xDC???", "??"}),
    [](const ::testing::TestParamInfo<DoubleByteCase>& info) {
      return info.param.locale.substr(0, 5);
    });

TEST_F(CodePageTest, AProgramFolderAndNameWithABackslashAsSecondByte) {
  const Environment japanese = {{"LC_ALL", "ja_JP.UTF-8"}};
  StartPlayer(Utf8PlaylistText({Entry{"Alpha", "C:\\a.mp3", 1}}), {}, japanese);
  // "表ソ" and "ソ": 95 5C 83 5C and 83 5C in code page 932.
  const harness::TempDir root("tunaro-install");
  const std::string folder = root.Path("\xE8\xA1\xA8\xE3\x82\xBD");
  ASSERT_TRUE(harness::MakeDirectory(folder));
  const std::string exe =
      harness::InstallExe(root, "tunaro.exe", "\xE8\xA1\xA8\xE3\x82\xBD/\xE3\x82\xBD.exe");
  ASSERT_FALSE(exe.empty());
  harness::WriteFileBytes(folder + "/tunaro.conf", kDefaultConfiguration);
  harness::CgiRequest request = harness::CgiRequest::Get(exe);
  request.script_name = kScriptName;
  const std::string page = Run(request, japanese);
  EXPECT_NE(page.find("Winamp is Running"), std::string::npos) << page;
  EXPECT_NE(page.find("<a href=\"/cgi-bin/tunaro/\x83\x5C?previous\">"), std::string::npos) << page;
  EXPECT_NE(page.find("action=\"/cgi-bin/tunaro/\x83\x5C?play\""), std::string::npos) << page;
}

// On code page 1252, what a current player's UTF-8 copy holds beyond it.
const std::vector<Entry> kWesternEntries = {
    Entry{"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "C:\\a.mp3", 1},  // Кино
    Entry{"\xC5\x81\xC3\xB3"
          "d\xC5\xBA",
          "C:\\b.mp3", 1},                                   // Łódź
    Entry{"Caf\xC3\xA9 \xE2\x80\x93 Noir", "C:\\c.mp3", 1},  // é, en dash
    Entry{"a & b", "C:\\d.mp3", 1}};

TEST_F(CodePageTest, TheUtf8CopyGivesReferencesForWhat1252Lacks) {
  StartPlayer(Utf8PlaylistText(kWesternEntries), {"--write-on-change", "--current", "1"});
  const std::string page = Run(install_.Get());
  EXPECT_NE(page.find("<option>1. &#1050;&#1080;&#1085;&#1086;</option>\r\n"
                      "<option selected>2. &#321;\xF3"
                      "d&#378;</option>\r\n"
                      "<option>3. Caf\xE9 \x96 Noir</option>\r\n"
                      "<option>4. a &amp; b</option>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<b>&#321;\xF3"
                      "d&#378;</b>"),
            std::string::npos)
      << page;
  // A reference counts as one character.
  install_.Configure(std::string(kDefaultConfiguration) + "SSI 1\r\nSSIWIDTH 3\r\n");
  const std::string panel = Run(install_.Get());
  EXPECT_NE(panel.find("<option>1. &#1080;&#1085;&#1086;</option>\r\n"
                       "<option selected>2. \xF3"
                       "d&#378;</option>\r\n"
                       "<option>3. oir</option>\r\n"),
            std::string::npos)
      << panel;
  EXPECT_NE(panel.find("<b>\xF3"
                       "d&#378;</b>"),
            std::string::npos)
      << panel;
}

TEST_F(CodePageTest, AStaleUtf8CopyIsIgnored) {
  // This player writes no copy; one left from an earlier list is older than
  // the file it writes for the run.
  StartPlayer(Utf8PlaylistText(kWesternEntries), {"--current", "1"});
  std::vector<Entry> earlier = kWesternEntries;
  for (Entry& entry : earlier) entry.title = "\xC5\x81";  // Ł
  ASSERT_TRUE(harness::WriteFileBytes(player_->playlist_path() + "8", Utf8PlaylistText(earlier)));
  const std::string page = Run(install_.Get());
  EXPECT_NE(page.find("<option>1. \?\?\?\?</option>\r\n<option selected>2. ?\xF3"
                      "d?</option>\r\n"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("&#"), std::string::npos) << page;
}

}  // namespace
}  // namespace tunaro_test
