#include "player/playlist_walk.h"

#include <gtest/gtest.h>

#include "app/entry_choice.h"
#include "base/run_error.h"
#include "platform/ansi_characters.h"
#include "player/playlist_path.h"
#include "testing/fake_system.h"
#include "testing/player_model/playlist_text.h"

namespace tunaro {
namespace {

using Strings = std::vector<std::string>;

Strings Walk(const std::string& content, std::size_t slots, std::int16_t width = 0,
             CharacterRule characters = CharacterRule()) {
  TitleList titles;
  titles.Reset(slots);
  WalkPlaylistTitles(content, characters, width, titles);
  Strings walked;
  for (std::size_t k = 0; k < titles.size(); ++k) walked.emplace_back(titles[k]);
  return walked;
}

const char kThree[] =
    "#EXTM3U\r\n#EXTINF:205,Alpha\r\nC:\\a.mp3\r\n#EXTINF:61,Beta\r\nC:\\b.mp3\r\n"
    "#EXTINF:-1,Gamma\r\nC:\\c.mp3\r\n";

// The information line of entry `index`, or "-" when there is no entry.
std::string InfoLine(const std::string& content, std::int32_t index) {
  const std::optional<PlaylistEntry> entry = FindPlaylistEntry(content, index);
  return entry ? entry->info_line.value_or("(none)") : "-";
}

TEST(PlaylistWalkTest, TakesTheTextAfterTheFirstCommaOfEveryInformationLine) {
  EXPECT_EQ(Walk(kThree, 4), (Strings{"Alpha", "Beta", "Gamma", ""}));
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Smith, Jones\nf\n#EXTINF:1\nf\n", 3),
            (Strings{"Smith, Jones", "#EXTINF:1", ""}));
  EXPECT_EQ(Walk("#EXTM3U\r\n", 1), (Strings{""}));
  EXPECT_EQ(Walk("", 1), (Strings{""}));
}

TEST(PlaylistWalkTest, AnEntryWithoutAnInformationLineShowsItsFileName) {
  const std::string file =
      "#EXTM3U\r\n#EXTINF:1,Alpha\r\nC:\\Music\\a.mp3\r\nC:\\Music\\Bare Song.flac\r\n"
      "#EXTINF:2,Gamma\r\n#EXTVLCOPT:x\r\n\r\n \t\r\nc.mp3\r\nD:/x.y/No Extension\r\n"
      "http://radio.example:8000/\r\n.hidden\r\n";
  EXPECT_EQ(Walk(file, 7), (Strings{"Alpha", "Bare Song", "Gamma", "No Extension",
                                    "http://radio.example:8000/", ".hidden", ""}));
  EXPECT_EQ(Walk(file, 3, 4), (Strings{"lpha", "Song", "amma"}));
  // Without a header line the first line is an entry too.
  EXPECT_EQ(Walk("a.mp3\nb.mp3\n", 2), (Strings{"a", "b"}));
  EXPECT_EQ(InfoLine(file, 1), "(none)");
  EXPECT_EQ(FindPlaylistEntry(file, 1)->file_line, "C:\\Music\\Bare Song.flac");
  EXPECT_EQ(InfoLine(file, 2), "#EXTINF:2,Gamma");
  EXPECT_EQ(FindPlaylistEntry(file, 2)->file_line, "c.mp3");
}

TEST(PlaylistWalkTest, LineEndsCrLfLfAndStrayCrsGiveTheSameTitles) {
  const Strings expected{"Alpha", "Beta", ""};
  EXPECT_EQ(Walk("#EXTM3U\r\n#EXTINF:1,Alpha\r\nf\r\n#EXTINF:1,Beta\r\nf\r\n", 3), expected);
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta\nf\n", 3), expected);
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Al\rpha\r\r\nf\n#EXT\rINF:1,Beta\nf\n", 3), expected);
  // A lone CR ends no line.
  EXPECT_EQ(Walk("#EXTM3U\r#EXTINF:1,Alpha\rf\r", 2), (Strings{"", ""}));
}

TEST(PlaylistWalkTest, TextAfterTheLastLfIsNeverRead) {
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta\nf", 3), (Strings{"Alpha", "", ""}));
  EXPECT_EQ(InfoLine("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta\nf", 1), "-");
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta", 3), (Strings{"Alpha", "", ""}));
}

TEST(PlaylistWalkTest, CutsTitlesToTheirLastCharacters) {
  const std::string file = "#EXTM3U\n#EXTINF:1,abcdefghijklmnopqrstuvwxy\nf\n#EXTINF:1,short!\nf\n";
  EXPECT_EQ(Walk(file, 3, 10), (Strings{"pqrstuvwxy", "short!", ""}));
  EXPECT_EQ(Walk(file, 3, 0)[0], "abcdefghijklmnopqrstuvwxy");
  EXPECT_THROW(Walk(file, 3, -1), RunError);
}

TEST(PlaylistWalkTest, StoresNothingBeyondTheLastSlot) {
  Strings fifty;
  for (int i = 0; i < 50; ++i) fifty.push_back("T" + std::to_string(i));
  const std::string file = player_model::PlaylistText(player_model::EntriesTitled(fifty));
  EXPECT_EQ(Walk(file, 2), (Strings{"T0", "T1"}));
  EXPECT_EQ(Walk(file, 0), Strings{});
}

TEST(PlaylistWalkTest, ReadsFilesFarBeyond32767Characters) {
  const int entries = 5000;
  std::vector<player_model::Entry> list;
  for (int i = 0; i < entries; ++i) {
    list.push_back({"Some rather long title number " + std::to_string(i),
                    "C:\\Music\\Some rather long file name " + std::to_string(i) + ".mp3", 100});
  }
  const std::string file = player_model::PlaylistText(list);
  ASSERT_GT(file.size(), 100000u);
  Strings titles = Walk(file, entries + 1);
  EXPECT_EQ(titles[entries - 1], "Some rather long title number 4999");
  EXPECT_EQ(InfoLine(file, 4321), "#EXTINF:100,Some rather long title number 4321");
}

TEST(PlaylistWalkTest, FindsOneEntry) {
  EXPECT_EQ(InfoLine(kThree, 0), "#EXTINF:205,Alpha");
  EXPECT_EQ(InfoLine(kThree, 2), "#EXTINF:-1,Gamma");
  EXPECT_EQ(FindPlaylistEntry(kThree, 2)->file_line, "C:\\c.mp3");
  for (std::int32_t index : {3, -1, INT32_MAX, INT32_MIN}) EXPECT_EQ(InfoLine(kThree, index), "-");
}

// Japanese Windows, code page 932: "表" is 95 5C and "ソ" 83 5C, their second
// byte a backslash; "示" 8E A6, "ナ" 83 69, "タ" 83 5E.
const std::string kHyo = "\x95\x5C", kJi = "\x8E\xA6", kSo = "\x83\x5C", kNa = "\x83\x69",
                  kTa = "\x83\x5E";

CharacterRule CodePage(std::uint32_t number) {
  FakeSystem system;
  system.code_page = number;
  return AnsiCharacters(system);
}

TEST(DoubleByteTitleTest, CutsWholeCharactersOnly) {
  const CharacterRule cp932 = CodePage(932);
  const std::string sonata = kSo + kNa + kTa;
  const std::string file = "#EXTM3U\r\n#EXTINF:1," + kHyo + kJi + sonata + "\r\nf\r\n#EXTINF:1,a" +
                           kSo + "b\r\nf\r\n#EXTINF:1," + sonata + "\r\nf\r\n";
  EXPECT_EQ(Walk(file, 3, 3, cp932), (Strings{sonata, "a" + kSo + "b", sonata}));
  // The cut lands on a lead byte, never on a second byte.
  EXPECT_EQ(Walk(file, 3, 2, cp932), (Strings{kNa + kTa, kSo + "b", kNa + kTa}));
  EXPECT_EQ(Walk(file, 3, 1, cp932), (Strings{kTa, "b", kTa}));
  EXPECT_EQ(Walk(file, 3, 4, cp932), (Strings{kJi + sonata, "a" + kSo + "b", sonata}));
  // Wider than the title: the title whole, and no stray backslash before it.
  EXPECT_EQ(Walk(file, 3, 5, cp932)[2], sonata);
  EXPECT_EQ(Walk(file, 3, 32767, cp932)[0], kHyo + kJi + sonata);
  // One byte a character gives today's bytes.
  EXPECT_EQ(Walk(file, 3, 5)[2], "\\" + kNa + kTa);
}

TEST(DoubleByteTitleTest, FileNamesAndFoldersWithABackslashAsSecondByte) {
  const CharacterRule cp932 = CodePage(932);
  const std::string file = "#EXTM3U\r\nC:\\Music\\" + kHyo + kJi + kSo + kNa + kTa +
                           ".mp3\r\nC:\\" + kHyo + "\\" + kSo + "\\x.y.mp3\r\nD:\\" + kSo + "\r\n" +
                           kSo + ".mp3\r\n";
  EXPECT_EQ(Walk(file, 4, 0, cp932), (Strings{kHyo + kJi + kSo + kNa + kTa, "x.y", kSo, kSo}));
  EXPECT_EQ(FileTitle("C:\\" + kSo, cp932), kSo);
  for (const std::uint32_t number : {936u, 949u, 950u}) {
    EXPECT_EQ(FileTitle("C:\\a\\" + kHyo + ".mp3", CodePage(number)), kHyo) << number;
  }
}

TEST(DoubleByteTitleTest, Utf8AsTheAnsiCodePageCountsUtf8Characters) {
  const CharacterRule utf8 = CodePage(65001);
  const std::string lodz =
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // Łódź
  const std::string file = "#EXTM3U\n#EXTINF:1," + lodz + "\nC:\\\xE8\xA1\xA8\\a.mp3\n";
  EXPECT_EQ(Walk(file, 1, 3, utf8), Strings{"\xC3\xB3"
                                            "d\xC5\xBA"});
  EXPECT_EQ(Walk(file, 1, 4, utf8), Strings{lodz});
  // A byte that begins no whole character is a character of its own.
  EXPECT_EQ(utf8.LastCharacters("x\xC5"
                                "a\xE8\xA1",
                                3),
            "a\xE8\xA1");
  EXPECT_EQ(CodePage(932).LastCharacters("ab\x83", 1), "\x83");
}

TEST(DoubleByteTitleTest, PathsOfTheProgramAndThePlaylist) {
  const CharacterRule cp932 = CodePage(932);
  EXPECT_EQ(PlaylistPathFor("C:\\" + kSo + "\\" + kSo + ".exe", cp932),
            "C:\\" + kSo + "\\" + kSo + ".m3u");
  EXPECT_EQ(PlaylistFileNameFor("C:\\Program Files\\" + kSo + ".exe", cp932), kSo + ".m3u");
  EXPECT_EQ(PlaylistPathFor("C:" + kSo, cp932), "m3u");
  EXPECT_EQ(PlaylistPathFor(kSo + kSo, cp932), "");
  EXPECT_TRUE(cp932.EndsWithSeparator("C:\\" + kSo + "\\"));
  EXPECT_FALSE(cp932.EndsWithSeparator("C:\\" + kSo));
  EXPECT_TRUE(CharacterRule().EndsWithSeparator("C:\\" + kSo));
}

// A browser posts an option's text unescaped, with "&#N;" for a character
// that its page's charset lacks; the titles are matched in that form.
TEST(PostedTitleTest, MatchesTheTitleAsABrowserPostsIt) {
  FakeSystem system;
  const std::string lodz =
      "\xC5\x81\xC3\xB3"
      "d\xC5\xBA";  // Łódź, of which 1252 has ó
  const PlaylistText copy{"#EXTM3U\n#EXTINF:1," + lodz +
                              "\nf\n#EXTINF:1,a & \"b\"\nf\n"
                              "#EXTINF:1," +
                              lodz + "\nf\n",
                          true};
  EXPECT_EQ(EntryShowing(system, copy, 0,
                         "&#321;\xF3"
                         "d&#378;",
                         0),
            0);
  EXPECT_EQ(EntryShowing(system, copy, 0,
                         "&#321;\xF3"
                         "d&#378;",
                         2),
            2);
  EXPECT_EQ(EntryShowing(system, copy, 3,
                         "\xF3"
                         "d&#378;",
                         2),
            2);
  EXPECT_EQ(EntryShowing(system, copy, 0, "a  & \"b\" ", 0), 1);
  EXPECT_EQ(EntryShowing(system, copy, 0, "a &amp; &quot;b&quot;", 0), std::nullopt);
  EXPECT_EQ(EntryShowing(system, copy, 0, lodz, 0), std::nullopt);
  // A double-byte title whose second byte is a backslash, among blanks.
  system.code_page = 932;
  EXPECT_EQ(EntryShowing(system, {"#EXTINF:1,a" + kSo + "  b\nC:\\" + kSo + ".mp3\n", false}, 4,
                         kSo + " b", 0),
            0);
}

}  // namespace
}  // namespace tunaro
