// The paths a request may name in the music folders, and the check that a
// resolved path stays inside them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/confinement.h"
#include "library/library_path.h"

namespace tunaro {
namespace {

TEST(LibraryPathTest, ReadsTheFolderNumberAndTheNames) {
  PathReading reading = ReadLibraryPath("1");
  EXPECT_EQ(reading.fault, PathFault::kNone);
  EXPECT_EQ(reading.path.folder, 0u);
  EXPECT_TRUE(reading.path.names.empty());

  reading = ReadLibraryPath("12/Bj\xC3\xB6rk/ Post/.hidden/01 Army of Me.mp3");
  ASSERT_EQ(reading.fault, PathFault::kNone);
  EXPECT_EQ(reading.path.folder, 11u);
  EXPECT_EQ(reading.path.names,
            (std::vector<std::string>{"Bj\xC3\xB6rk", " Post", ".hidden", "01 Army of Me.mp3"}));
  EXPECT_EQ(LibraryPathText(reading.path), "12/Bj\xC3\xB6rk/ Post/.hidden/01 Army of Me.mp3");

  // Names as long as Windows allows, counted in UTF-16 units; names that
  // only start like a device's.
  for (const std::string& name :
       {std::string(255, 'a'),
        [] {
          std::string two_byte;
          for (int i = 0; i < 255; ++i) two_byte += "\xC3\xA4";
          return two_byte;
        }(),
        std::string("console"), std::string("COM10"), std::string("nul_")}) {
    EXPECT_EQ(ReadLibraryPath("1/" + name).fault, PathFault::kNone) << name;
  }
}

TEST(LibraryPathTest, RefusesEveryFormThatLeadsOutOrNamesAFileTwice) {
  std::string four_byte_names;
  for (int i = 0; i < 128; ++i) four_byte_names += "\xF0\x9F\x8E\xB5";  // 256 UTF-16 units
  const std::pair<std::string, PathFault> cases[] = {
      {"", PathFault::kNoFolderNumber},
      {"0", PathFault::kNoFolderNumber},
      {"01/a", PathFault::kNoFolderNumber},
      {"12345", PathFault::kNoFolderNumber},
      {"x/a", PathFault::kNoFolderNumber},
      {"/a", PathFault::kNoFolderNumber},
      {"-1/a", PathFault::kNoFolderNumber},
      {"1//a", PathFault::kEmptyName},
      {"1/", PathFault::kEmptyName},
      {"1/a/", PathFault::kEmptyName},
      {"1/..", PathFault::kDotDot},
      {"1/a/../../b", PathFault::kDotDot},
      {"1/.", PathFault::kTrailingDotOrBlank},
      {"1/a.", PathFault::kTrailingDotOrBlank},
      {"1/a /b", PathFault::kTrailingDotOrBlank},
      {"1/...", PathFault::kTrailingDotOrBlank},
      {"1/C:", PathFault::kColon},
      {"C:/Windows", PathFault::kColon},
      {"1/a.mp3:stream", PathFault::kColon},
      {"1/a\\..\\b", PathFault::kBackslash},
      {"\\\\server\\share\\x", PathFault::kBackslash},
      {"\\\\?\\C:\\x", PathFault::kBackslash},
      {"1/a\x01"
       "b",
       PathFault::kControlCharacter},
      {"1/a\x7F", PathFault::kControlCharacter},
      {std::string("1/a\0b", 5), PathFault::kControlCharacter},
      {"1/a\tb", PathFault::kControlCharacter},
      {"1/a*", PathFault::kReservedCharacter},
      {"1/a?.mp3", PathFault::kReservedCharacter},
      {"1/\"a\"", PathFault::kReservedCharacter},
      {"1/a<b>|c", PathFault::kReservedCharacter},
      {"1/con", PathFault::kDeviceName},
      {"1/a/NUL.txt", PathFault::kDeviceName},
      {"1/Com1.mp3", PathFault::kDeviceName},
      {"1/lpt9", PathFault::kDeviceName},
      {"1/aux .mp3", PathFault::kDeviceName},
      {"1/COM\xC2\xB9", PathFault::kDeviceName},
      {"1/CONOUT$", PathFault::kDeviceName},
      {"1/\xFF", PathFault::kNotUtf8},
      {"1/\xC0\xAF", PathFault::kNotUtf8},      // an overlong "/"
      {"1/\xED\xA0\x80", PathFault::kNotUtf8},  // a surrogate
      {"1/" + std::string(256, 'a'), PathFault::kNameTooLong},
      {"1/" + four_byte_names, PathFault::kNameTooLong},
      {"1/" + std::string(40000, 'a'), PathFault::kPathTooLong},
  };
  for (const auto& [text, fault] : cases) {
    const PathReading reading = ReadLibraryPath(text);
    EXPECT_EQ(reading.fault, fault) << text.substr(0, 40);
    EXPECT_TRUE(reading.path.names.empty());
    EXPECT_FALSE(PathFaultText(fault).empty());
  }
  // A name of a listing passes the same rules, and has no slash.
  EXPECT_EQ(CheckName("a/b"), PathFault::kReservedCharacter);
  EXPECT_EQ(CheckName("Track."), PathFault::kTrailingDotOrBlank);
  EXPECT_EQ(CheckName("Track 1.mp3"), PathFault::kNone);
}

TEST(ConfinementTest, InsideOnlyOnWholeNamesInAnyLetterCase) {
  const std::pair<const char*, const char*> inside[] = {
      {"C:\\Music\\a.mp3", "C:\\Music"},
      {"C:\\Music", "C:\\Music"},
      {"c:\\music\\Sub\\A.MP3", "C:\\MUSIC\\"},
      {"\\\\?\\C:\\Music\\a.mp3", "C:\\Music"},
      {"C:\\Music\\a.mp3", "\\\\?\\C:\\Music"},
      {"C:\\x", "C:\\"},
      {"\\\\?\\UNC\\server\\share\\Music\\a", "\\\\server\\share\\Music"},
      {"C:\\\xC3\x84\\x", "C:\\\xC3\xA4"},
  };
  for (const auto& [path, folder] : inside) EXPECT_TRUE(IsInsideFolder(path, folder)) << path;
  const std::pair<const char*, const char*> outside[] = {
      {"C:\\Music2\\a.mp3", "C:\\Music"},
      {"C:\\Mus", "C:\\Music"},
      {"C:\\", "C:\\Music"},
      {"D:\\Music\\a.mp3", "C:\\Music"},
      {"\\\\C:\\Music\\a", "C:\\Music"},
      {"C:\\Music\\..\\Windows", "C:\\Music"},
      {"C:\\Music\\.\\a", "C:\\Music"},
      {"C:\\Music\\a", ""},
      {"\\\\?\\UNC\\server\\share\\a", "\\\\server\\other"},
  };
  for (const auto& [path, folder] : outside) EXPECT_FALSE(IsInsideFolder(path, folder)) << path;

  EXPECT_EQ(WithoutVerbatimPrefix("\\\\?\\C:\\a"), "C:\\a");
  EXPECT_EQ(WithoutVerbatimPrefix("\\\\?\\unc\\s\\x"), "\\\\s\\x");
  EXPECT_EQ(WithoutVerbatimPrefix("\\\\.\\C:\\a"), "C:\\a");
  const std::vector<std::string> folders = {"", "D:\\Music", "D:\\"};
  EXPECT_EQ(FolderHolding("D:\\Music\\a", folders), 1u);
  EXPECT_EQ(FolderHolding("D:\\Other", folders), 2u);
  EXPECT_FALSE(FolderHolding("E:\\Music", folders));
}

}  // namespace
}  // namespace tunaro
