#include "player/playlist_walk.h"

#include <gtest/gtest.h>

#include "base/run_error.h"

namespace tunaro {
namespace {

using Strings = std::vector<std::string>;

Strings Walk(const std::string& content, std::size_t slots, std::int16_t width = 0) {
  Strings titles(slots);
  WalkPlaylistTitles(content, width, titles);
  return titles;
}

const char kThree[] =
    "#EXTM3U\r\n#EXTINF:205,Alpha\r\nC:\\a.mp3\r\n#EXTINF:61,Beta\r\nC:\\b.mp3\r\n"
    "#EXTINF:-1,Gamma\r\nC:\\c.mp3\r\n";

TEST(PlaylistWalkTest, TakesTheTextAfterTheFirstCommaOfEveryInformationLine) {
  EXPECT_EQ(Walk(kThree, 4), (Strings{"Alpha", "Beta", "Gamma", ""}));
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Smith, Jones\nf\nno comma\nf\n", 3),
            (Strings{"Smith, Jones", "no comma", ""}));
  EXPECT_EQ(Walk("#EXTM3U\r\n", 1), (Strings{""}));
  EXPECT_EQ(Walk("", 1), (Strings{""}));
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
  EXPECT_EQ(Walk("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta", 3), (Strings{"Alpha", "", ""}));
  std::string line;
  EXPECT_FALSE(FindPlaylistEntryLine("#EXTM3U\n#EXTINF:1,Alpha\nf\n#EXTINF:1,Beta", 1, line));
}

TEST(PlaylistWalkTest, CutsTitlesToTheirLastCharacters) {
  const std::string file = "#EXTM3U\n#EXTINF:1,abcdefghijklmnopqrstuvwxy\nf\n#EXTINF:1,short!\nf\n";
  EXPECT_EQ(Walk(file, 3, 10), (Strings{"pqrstuvwxy", "short!", ""}));
  EXPECT_EQ(Walk(file, 3, 0)[0], "abcdefghijklmnopqrstuvwxy");
  EXPECT_THROW(Walk(file, 3, -1), RunError);
}

TEST(PlaylistWalkTest, StoresNothingBeyondTheLastSlot) {
  std::string file = "#EXTM3U\n";
  for (int i = 0; i < 50; ++i) file += "#EXTINF:1,T" + std::to_string(i) + "\nf\n";
  EXPECT_EQ(Walk(file, 2), (Strings{"T0", "T1"}));
  EXPECT_EQ(Walk(file, 0), Strings{});
}

TEST(PlaylistWalkTest, ReadsFilesFarBeyond32767Characters) {
  std::string file = "#EXTM3U\r\n";
  const int entries = 5000;
  for (int i = 0; i < entries; ++i) {
    file += "#EXTINF:100,Some rather long title number " + std::to_string(i) + "\r\n";
    file += "C:\\Music\\Some rather long file name " + std::to_string(i) + ".mp3\r\n";
  }
  ASSERT_GT(file.size(), 100000u);
  Strings titles = Walk(file, entries + 1);
  EXPECT_EQ(titles[entries - 1], "Some rather long title number 4999");
  std::string line;
  ASSERT_TRUE(FindPlaylistEntryLine(file, 4321, line));
  EXPECT_EQ(line, "#EXTINF:100,Some rather long title number 4321");
}

TEST(PlaylistWalkTest, FindsTheInformationLineOfAnEntry) {
  std::string line;
  ASSERT_TRUE(FindPlaylistEntryLine(kThree, 0, line));
  EXPECT_EQ(line, "#EXTINF:205,Alpha");
  ASSERT_TRUE(FindPlaylistEntryLine(kThree, 2, line));
  EXPECT_EQ(line, "#EXTINF:-1,Gamma");
  EXPECT_FALSE(FindPlaylistEntryLine(kThree, 3, line));
  EXPECT_FALSE(FindPlaylistEntryLine(kThree, -1, line));
  EXPECT_FALSE(FindPlaylistEntryLine(kThree, INT32_MAX, line));
}

TEST(PlayerTextsTest, StateTexts) {
  EXPECT_EQ(StateTextFor(0), "Stopped");
  EXPECT_EQ(StateTextFor(1), "Playing");
  EXPECT_EQ(StateTextFor(3), "Paused");
  EXPECT_EQ(StateTextFor(2), "");
  EXPECT_EQ(StateTextFor(-1), "");
}

TEST(PlayerTextsTest, LengthKeepsWholeMinutesAndShowsNothingWhenUnknown) {
  EXPECT_EQ(LengthTextFor(0), "0:00");
  EXPECT_EQ(LengthTextFor(59), "0:59");
  EXPECT_EQ(LengthTextFor(205), "3:25");
  EXPECT_EQ(LengthTextFor(600), "10:00");
  EXPECT_EQ(LengthTextFor(3725), "62:05");
  EXPECT_EQ(LengthTextFor(-1), "");
  EXPECT_EQ(LengthTextFor(INT32_MIN), "");
  EXPECT_EQ(LengthTextFor(INT32_MAX), "35791394:07");
}

}  // namespace
}  // namespace tunaro
