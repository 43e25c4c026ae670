#include "app/load_settings.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

Settings Parse(const std::string& content) {
  Settings settings;
  ParseSettings(content, settings);
  return settings;
}

TEST(ParseSettingsTest, KeysIgnoreCaseAndValuesStayUntouched) {
  Settings s = Parse(
      "imgdir /img/\r\nHeaderFile C:\\h.txt\r\nFOOTERFILE  two blanks \r\n"
      "wwwpath /cgi-bin/tunaro/\r\nBGCOLOR #C0C0C0\r\n");
  EXPECT_EQ(s.ImgDir, "/img/");
  EXPECT_EQ(s.HeaderFile, "C:\\h.txt");
  EXPECT_EQ(s.FooterFile, " two blanks ");
  EXPECT_EQ(s.WWWPath, "/cgi-bin/tunaro/");
  EXPECT_EQ(s.BgColor, "#C0C0C0");
}

TEST(ParseSettingsTest, SkipsCommentsLeadingBlanksTabsAndStrangers) {
  Settings s = Parse(
      "# IMGDIR /commented/\r\n   # BGCOLOR red\r\n IMGDIR /indented/\r\nWWWPATH\t/tabbed/\r\n"
      "COLOUR blue\r\nnoblank\r\n\r\nIMGDIR /last/");
  EXPECT_EQ(s.ImgDir, "/last/");
  EXPECT_EQ(s.WWWPath, "");
  EXPECT_EQ(s.BgColor, "");
}

TEST(ParseSettingsTest, LinesEndAtCrLfLoneLfOrLoneCr) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    const std::string text = std::string("IMGDIR /a/") + end + "WWWPATH /b/" + end;
    Settings s = Parse(text);
    EXPECT_EQ(s.ImgDir, "/a/") << text;
    EXPECT_EQ(s.WWWPath, "/b/") << text;
  }
  // An empty line between them is just a line: CR LF is one end, LF CR two.
  Settings mixed = Parse("IMGDIR /a/\n\rWWWPATH /b/\r\n\r\nBGCOLOR red");
  EXPECT_EQ(mixed.ImgDir, "/a/");
  EXPECT_EQ(mixed.WWWPath, "/b/");
  EXPECT_EQ(mixed.BgColor, "red");
}

TEST(ParseSettingsTest, SsiIsOnOnlyForExactlyOne) {
  EXPECT_TRUE(Parse("SSI 1").SSIMode);
  EXPECT_FALSE(Parse("SSI 1 ").SSIMode);
  EXPECT_FALSE(Parse("SSI 01").SSIMode);
  EXPECT_FALSE(Parse("SSI true").SSIMode);
  EXPECT_FALSE(Parse("SSI 1\r\nSSI 0").SSIMode);
  EXPECT_TRUE(Parse("SSI 0\r\nssi 1").SSIMode);
}

TEST(ParseSettingsTest, SsiWidthIsReadAndRounded) {
  EXPECT_EQ(Parse("SSIWIDTH 30abc").SSIWidth, 30);
  EXPECT_EQ(Parse("SSIWIDTH 3 0").SSIWidth, 30);
  EXPECT_EQ(Parse("SSIWIDTH abc").SSIWidth, 0);
  EXPECT_EQ(Parse("SSIWIDTH 12.5").SSIWidth, 12);
  EXPECT_EQ(Parse("SSIWIDTH 13.5").SSIWidth, 14);
  EXPECT_EQ(Parse("SSIWIDTH -4").SSIWidth, -4);
  try {
    Parse("SSIWIDTH 40000");
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 6);
  }
}

std::string Load(const std::string& content, bool* ended) {
  FakeSystem system;
  system.SetConfiguration(content);
  Settings settings;
  *ended = false;
  try {
    ResponseWriter out(system, FakeSystem::kOutput);
    LoadSettings(system, out, settings);
  } catch (const RunEndedEarly&) {
    *ended = true;
  }
  return system.output;
}

TEST(ParseSettingsTest, EveryMusicDirLineCountsInItsOrder) {
  Settings s = Parse(
      "MUSICDIR D:\\Music \r\nmusicdir  \\\\nas\\share\\My Music\r\nMUSICDIR   \r\n# MUSICDIR "
      "C:\\x\r\n"
      "MUSICDIR D:\\Music\r\nIMGDIR /i/\r\n");
  EXPECT_EQ(s.MusicDirs,
            (std::vector<std::string>{"D:\\Music", "\\\\nas\\share\\My Music", "D:\\Music"}));
  EXPECT_EQ(s.ImgDir, "/i/");
  EXPECT_TRUE(Parse("IMGDIR /i/\r\nMUSICDIRS D:\\x\r\n").MusicDirs.empty());
}

TEST(LoadSettingsTest, WritesBothValidationLinesInOrder) {
  const std::string img = "ERROR: ImgDir is null. Check your configuration file.<br>\r\n\r\n";
  const std::string www = "ERROR: WWWPath is null. Check your configuration file.<br>\r\n\r\n";
  bool ended;
  EXPECT_EQ(Load("", &ended), img + www);
  EXPECT_TRUE(ended);
  EXPECT_EQ(Load("# only a comment\r\n", &ended), img + www);
  EXPECT_EQ(Load("IMGDIR \r\nWWWPATH /w/", &ended), img);
  EXPECT_EQ(Load("IMGDIR    \r\nWWWPATH /w/", &ended), img);
  EXPECT_EQ(Load("IMGDIR /i/", &ended), www);
  EXPECT_TRUE(ended);
  EXPECT_EQ(Load("IMGDIR /i/\r\nWWWPATH /w/", &ended), "");
  EXPECT_FALSE(ended);
}

TEST(LoadSettingsTest, AMissingFileIsAnError) {
  FakeSystem system;
  Settings settings;
  ResponseWriter out(system, FakeSystem::kOutput);
  try {
    LoadSettings(system, out, settings);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 53);
  }
}

TEST(LoadSettingsTest, AProgramFolderThatEndsInASeparatorGetsNoSecondOne) {
  FakeSystem system;
  system.executable_directory = "C:\\";
  system.SetFile("C:\\tunaro.conf", "IMGDIR /i/\r\nWWWPATH /w/\r\n");
  Settings settings;
  ResponseWriter out(system, FakeSystem::kOutput);
  LoadSettings(system, out, settings);
  EXPECT_EQ(settings.WWWPath, "/w/");
}

TEST(LoadSettingsTest, AFolderWhoseLastByteIsTheSecondOfACharacterGetsItsSeparator) {
  FakeSystem system;
  system.code_page = 932;
  system.executable_directory = "C:\\\x95\x5C\x83\x5C";  // C:\表ソ
  system.SetFile("C:\\\x95\x5C\x83\x5C\\tunaro.conf", "IMGDIR /i/\r\nWWWPATH /w/\r\n");
  Settings settings;
  ResponseWriter out(system, FakeSystem::kOutput);
  LoadSettings(system, out, settings);
  EXPECT_EQ(settings.WWWPath, "/w/");
}

TEST(LoadSettingsTest, RelativeSiteFilesAreTakenFromTheProgramFolder) {
  FakeSystem system;
  system.SetConfiguration(
      "IMGDIR /i/\r\nWWWPATH /w/\r\nHEADERFILE charsets\\h.html\r\nFOOTERFILE f.html\r\n");
  Settings settings;
  ResponseWriter out(system, FakeSystem::kOutput);
  LoadSettings(system, out, settings);
  EXPECT_EQ(settings.HeaderFile, system.executable_directory + "\\charsets\\h.html");
  EXPECT_EQ(settings.FooterFile, system.executable_directory + "\\f.html");
  for (const char* path : {"C:\\site\\h.html", "D:h.html", "\\\\server\\h.html", "/h.html", ""}) {
    system.SetConfiguration(std::string("IMGDIR /i/\r\nWWWPATH /w/\r\nHEADERFILE ") + path);
    Settings absolute;
    LoadSettings(system, out, absolute);
    EXPECT_EQ(absolute.HeaderFile, path);
  }
  system.SetConfiguration("IMGDIR /i/\r\nWWWPATH /w/\r\nMUSICDIR Music\r\nMUSICDIR E:\\Music\r\n");
  Settings music;
  LoadSettings(system, out, music);
  EXPECT_EQ(music.MusicDirs,
            (std::vector<std::string>{system.executable_directory + "\\Music", "E:\\Music"}));
}

}  // namespace
}  // namespace tunaro
