// The music folders read through the seam: which folders they are, a
// folder's listing, the find and the folder add, with links that lead out,
// loops, and folders too large or too slow to read whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "library/folder_add.h"
#include "library/folder_listing.h"
#include "library/library_find.h"
#include "library/music_folders.h"
#include "render/library_json.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

std::vector<std::string> Names(const std::vector<LibraryItem>& items) {
  std::vector<std::string> names;
  for (const LibraryItem& item : items) names.push_back(item.name);
  return names;
}

std::vector<std::string> Paths(const std::vector<LibraryItem>& items) {
  std::vector<std::string> paths;
  for (const LibraryItem& item : items) paths.push_back(item.path);
  return paths;
}

class LibraryFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeFolders& f = system_.folders;
    f.AddFolder("C:\\Music\\Artist 10");
    f.AddFile("C:\\Music\\Artist 2\\M\xC3\xBCller - Song.mp3", "1234");
    f.AddFolder("C:\\Music\\artist 1");
    f.AddFile("C:\\Music\\b.MP3", "abc");
    f.AddFile("C:\\Music\\a.flac", "abcdef");
    f.AddFile("C:\\Music\\cover.jpg");
    f.AddFile("C:\\Music\\notes.txt");
    f.AddFile("C:\\Music\\list.m3u");
    f.AddFile("C:\\Music\\desktop.ini").hidden = true;
    f.AddFolder("C:\\Music\\$RECYCLE.BIN").hidden = true;
    f.AddFile("C:\\Music\\trailing dot.mp3.");
    f.AddFile("C:\\Music\\con.mp3");
    // Links: one out of the music folders, one into the second, one to
    // nowhere, one back to the top.
    f.AddFile("D:\\Private\\muller secret.mp3");
    f.AddLink("C:\\Music\\Elsewhere", "D:\\Private");
    f.AddLink("C:\\Music\\Jazz", "E:\\Music2\\Jazz");
    f.AddFile("E:\\Music2\\Jazz\\Muller Blues.ogg");
    f.AddLink("C:\\Music\\Gone", "C:\\Nowhere");
    f.AddLink("C:\\Music\\Artist 2\\Back", "C:\\Music");
    folders_ = ResolveMusicFolders(system_, {"C:\\Music", "E:\\Music2", "X:\\Missing"});
  }

  FolderPage List(const std::string& text, std::size_t from = 0,
                  PlaceOutcome expected = PlaceOutcome::kFound) {
    const PathReading reading = ReadLibraryPath(text);
    EXPECT_EQ(reading.fault, PathFault::kNone) << text;
    FolderPage page;
    EXPECT_EQ(ListLibraryFolder(system_, folders_, reading.path, from, page), expected) << text;
    return page;
  }

  FakeSystem system_;
  std::vector<MusicFolder> folders_;
};

TEST_F(LibraryFoldersTest, MusicFoldersAreResolvedOrMarkedMissing) {
  ASSERT_EQ(folders_.size(), 3u);
  EXPECT_EQ(folders_[0].access, FileAccess::kDone);
  EXPECT_EQ(folders_[0].final_path, "C:\\Music");
  EXPECT_EQ(folders_[1].final_path, "E:\\Music2");
  EXPECT_EQ(folders_[2].access, FileAccess::kNotFound);
  EXPECT_EQ(folders_[2].configured, "X:\\Missing");
  // A file is no music folder; a link to one is resolved to it.
  system_.folders.AddLink("C:\\Shortcut", "C:\\Music");
  const std::vector<MusicFolder> named =
      ResolveMusicFolders(system_, {"C:\\Music\\b.MP3", "c:\\shortcut"});
  EXPECT_EQ(named[0].access, FileAccess::kNotFound);
  EXPECT_EQ(named[1].final_path, "C:\\Music");
  // None named: the user's Music folder, or none at all.
  system_.folders.AddFolder(system_.folders.music_folder);
  EXPECT_EQ(ResolveMusicFolders(system_, {})[0].final_path, "C:\\Users\\me\\Music");
  system_.folders.music_folder.clear();
  EXPECT_TRUE(ResolveMusicFolders(system_, {}).empty());
}

TEST_F(LibraryFoldersTest, ListsFoldersThenAudioAndPlaylistsInNaturalOrder) {
  const FolderPage page = List("1");
  EXPECT_EQ(page.path, "1");
  EXPECT_EQ(Names(page.items), (std::vector<std::string>{"artist 1", "Artist 2", "Artist 10",
                                                         "Jazz", "a.flac", "b.MP3", "list.m3u"}));
  EXPECT_EQ(page.items[1].path, "1/Artist 2");
  EXPECT_EQ(page.items[3].kind, ItemKind::kFolder);
  EXPECT_EQ(page.items[4].kind, ItemKind::kAudio);
  EXPECT_EQ(page.items[4].size, 6u);
  EXPECT_EQ(page.items[6].kind, ItemKind::kPlaylist);
  EXPECT_EQ(page.total, 7u);
  EXPECT_FALSE(page.next);
  // The link that leads out was never followed into.
  EXPECT_EQ(std::count(system_.folders.listed.begin(), system_.folders.listed.end(), "D:\\Private"),
            0);
  // Through the link into the second music folder.
  EXPECT_EQ(Paths(List("1/Jazz").items), (std::vector<std::string>{"1/Jazz/Muller Blues.ogg"}));
  // A link back to a folder around is there to browse (only a walk skips it).
  EXPECT_EQ(Names(List("1/Artist 2").items),
            (std::vector<std::string>{"Back", "M\xC3\xBCller - Song.mp3"}));
}

TEST_F(LibraryFoldersTest, EachWayAPathCanFailHasItsOutcome) {
  List("9", 0, PlaceOutcome::kNoSuchMusicFolder);
  List("3", 0, PlaceOutcome::kMusicFolderUnavailable);
  List("1/Missing", 0, PlaceOutcome::kNotFound);
  List("1/a.flac", 0, PlaceOutcome::kNotAFolder);
  List("1/Elsewhere", 0, PlaceOutcome::kOutside);
  List("1/Gone", 0, PlaceOutcome::kNotFound);
  system_.folders.Find("C:\\Music\\Artist 10")->denied = true;
  List("1/Artist 10", 0, PlaceOutcome::kDenied);
  EXPECT_EQ(std::count(system_.folders.listed.begin(), system_.folders.listed.end(), "D:\\Private"),
            0);
  // The place itself, for an add.
  const Place place =
      ResolvePlace(system_, folders_, ReadLibraryPath("1/Jazz/Muller Blues.ogg").path);
  EXPECT_EQ(place.outcome, PlaceOutcome::kFound);
  EXPECT_EQ(place.final_path, "E:\\Music2\\Jazz\\Muller Blues.ogg");
  EXPECT_FALSE(place.folder);
}

TEST_F(LibraryFoldersTest, AFolderOfManyFilesComesInPages) {
  FakeFolders& f = system_.folders;
  for (int i = 10000; i >= 1; --i) f.AddFile("C:\\Music\\Big\\t" + std::to_string(i) + ".mp3");
  FolderPage page = List("1/Big");
  EXPECT_EQ(page.total, 10000u);
  ASSERT_EQ(page.items.size(), kFolderPageSize);
  EXPECT_EQ(page.items.front().name, "t1.mp3");
  EXPECT_EQ(page.items.back().name, "t500.mp3");
  EXPECT_EQ(page.next, 500u);
  page = List("1/Big", 9800);
  EXPECT_EQ(page.items.size(), 200u);
  EXPECT_EQ(page.items.back().name, "t10000.mp3");
  EXPECT_FALSE(page.next);
  page = List("1/Big", 1000000);
  EXPECT_TRUE(page.items.empty());
  EXPECT_EQ(page.from, 10000u);
  // A find over it stops at its most hits, and says there are more.
  const FindResult found = FindInLibrary(system_, folders_, "T1");
  EXPECT_EQ(found.hits.size(), kMostFindHits);
  EXPECT_TRUE(found.more);
  EXPECT_FALSE(found.stopped);
}

TEST_F(LibraryFoldersTest, FindsNamesHoldingEveryWordInsideTheMusicFoldersOnly) {
  FindResult found = FindInLibrary(system_, folders_, "  MULLER\t");
  // Accents and case count for nothing; the file behind the link that leads
  // out is never found; the loop back to the top ends; the file in the
  // second folder, reached through the first too, is found once.
  EXPECT_EQ(Paths(found.hits), (std::vector<std::string>{"1/Artist 2/M\xC3\xBCller - Song.mp3",
                                                         "1/Jazz/Muller Blues.ogg"}));
  EXPECT_EQ(found.hits[0].kind, ItemKind::kAudio);
  EXPECT_FALSE(found.more);
  EXPECT_FALSE(found.stopped);
  EXPECT_EQ(Paths(FindInLibrary(system_, folders_, "song m\xC3\x9CLLER").hits),
            (std::vector<std::string>{"1/Artist 2/M\xC3\xBCller - Song.mp3"}));
  EXPECT_TRUE(FindInLibrary(system_, folders_, "muller nothing").hits.empty());
  // Folders are found too; files other than audio and playlists are not.
  EXPECT_EQ(Paths(FindInLibrary(system_, folders_, "artist 1").hits),
            (std::vector<std::string>{"1/artist 1", "1/Artist 10"}));
  EXPECT_TRUE(FindInLibrary(system_, folders_, "notes").hits.empty());
  // No words: nothing is read.
  system_.folders.listed.clear();
  EXPECT_TRUE(FindInLibrary(system_, folders_, " \xE3\x80\x80 ").hits.empty());
  EXPECT_TRUE(system_.folders.listed.empty());
}

TEST_F(LibraryFoldersTest, FindStopsWhenItsTimeIsUp) {
  for (int i = 0; i < 30; ++i) {
    system_.folders.AddFile("C:\\Music\\Many\\F" + std::to_string(100 + i) + "\\song.mp3");
  }
  system_.folders.milliseconds = 5000;
  system_.folders.milliseconds_per_listing = 100;
  const FindResult found = FindInLibrary(system_, folders_, "song");
  EXPECT_TRUE(found.stopped);
  EXPECT_FALSE(found.more);
  // 2 s at 100 ms a folder: the top and Artist folders first, then some of Many.
  EXPECT_LT(found.hits.size(), 20u);
  EXPECT_GT(found.hits.size(), 5u);
  EXPECT_LE(system_.folders.milliseconds, 5000u + kFindMilliseconds + 100);
}

TEST_F(LibraryFoldersTest, FolderAddTakesAudioAtEveryLevelInTheListingsOrder) {
  FakeFolders& f = system_.folders;
  f.AddFile("C:\\Music\\Album\\10 Ten.mp3");
  f.AddFile("C:\\Music\\Album\\2 Two.mp3");
  f.AddFile("C:\\Music\\Album\\list.m3u");
  f.AddFile("C:\\Music\\Album\\CD2\\1.flac");
  f.AddFile("C:\\Music\\Album\\CD1\\1.flac");
  f.AddLink("C:\\Music\\Album\\CD1\\Loop", "C:\\Music\\Album");
  f.AddLink("C:\\Music\\Album\\Out", "D:\\Private");
  f.AddLink("C:\\Music\\Album\\Extra", "E:\\Music2\\Jazz");
  const FolderAudio audio = CollectFolderAudio(system_, folders_, "C:\\Music\\Album");
  EXPECT_EQ(audio.files, (std::vector<std::string>{
                             "C:\\Music\\Album\\CD1\\1.flac", "C:\\Music\\Album\\CD2\\1.flac",
                             "E:\\Music2\\Jazz\\Muller Blues.ogg", "C:\\Music\\Album\\2 Two.mp3",
                             "C:\\Music\\Album\\10 Ten.mp3"}));
  EXPECT_FALSE(audio.more);
  EXPECT_FALSE(audio.stopped);

  for (int i = 0; i < 5003; ++i) f.AddFile("C:\\Music\\Huge\\" + std::to_string(i) + ".mp3");
  const FolderAudio huge = CollectFolderAudio(system_, folders_, "C:\\Music\\Huge");
  EXPECT_EQ(huge.files.size(), kMostFolderAddFiles);
  EXPECT_EQ(huge.files.back(), "C:\\Music\\Huge\\4999.mp3");
  EXPECT_TRUE(huge.more);
}

TEST_F(LibraryFoldersTest, LinkLoopsEndEvenWithoutTheClock) {
  // Two folders that link to each other, and a link to a folder around.
  FakeFolders& f = system_.folders;
  f.AddFile("E:\\Music2\\A\\a.mp3");
  f.AddFile("E:\\Music2\\B\\b.mp3");
  f.AddLink("E:\\Music2\\A\\toB", "E:\\Music2\\B");
  f.AddLink("E:\\Music2\\B\\toA", "E:\\Music2\\A");
  f.AddLink("E:\\Music2\\A\\up", "E:\\Music2");
  const FolderAudio audio = CollectFolderAudio(system_, folders_, "E:\\Music2\\A");
  EXPECT_EQ(audio.files,
            (std::vector<std::string>{"E:\\Music2\\B\\b.mp3", "E:\\Music2\\A\\a.mp3"}));
  EXPECT_LT(f.listed.size(), 10u);
}

// The answers' JSON, escaped as the status answer's is.
TEST(LibraryJsonTest, ObjectsOfTheAnswers) {
  std::vector<MusicFolder> folders(2);
  folders[0].configured = "C:\\Users\\me\\Music";
  folders[0].access = FileAccess::kDone;
  folders[1].configured = "D:\\<Music>";
  EXPECT_EQ(MusicFoldersObject(folders),
            "{\"folders\": [{\"path\": \"1\", \"name\": \"C:\\\\Users\\\\me\\\\Music\", "
            "\"available\": true}, {\"path\": \"2\", \"name\": \"D:\\\\\\u003cMusic\\u003e\", "
            "\"available\": false}]}");
  EXPECT_EQ(MusicFoldersObject({}), "{\"folders\": []}");

  FolderPage page;
  page.path = "1/A \"B\"";
  page.items = {{"CD1", "1/A \"B\"/CD1", ItemKind::kFolder, 0},
                {"x.mp3", "1/A \"B\"/x.mp3", ItemKind::kAudio, 1234},
                {"l.m3u", "1/A \"B\"/l.m3u", ItemKind::kPlaylist, 5}};
  page.from = 500;
  page.total = 1003;
  page.next = 1000;
  EXPECT_EQ(FolderPageObject(page),
            "{\"path\": \"1/A \\\"B\\\"\", \"items\": ["
            "{\"name\": \"CD1\", \"path\": \"1/A \\\"B\\\"/CD1\", \"kind\": \"folder\"}, "
            "{\"name\": \"x.mp3\", \"path\": \"1/A \\\"B\\\"/x.mp3\", \"kind\": \"audio\", "
            "\"size\": 1234}, "
            "{\"name\": \"l.m3u\", \"path\": \"1/A \\\"B\\\"/l.m3u\", \"kind\": \"playlist\", "
            "\"size\": 5}], "
            "\"from\": 500, \"total\": 1003, \"next\": 1000}");
  page.items.clear();
  page.next.reset();
  EXPECT_EQ(FolderPageObject(page),
            "{\"path\": \"1/A \\\"B\\\"\", \"items\": [], \"from\": 500, \"total\": 1003, "
            "\"next\": null}");

  FindResult found;
  found.hits = {{"M\xC3\xBCller\xE2\x80\xA8", "2/M\xC3\xBCller\xE2\x80\xA8", ItemKind::kFolder, 0}};
  found.stopped = true;
  EXPECT_EQ(
      FindObject(found),
      "{\"hits\": [{\"name\": \"M\xC3\xBCller\\u2028\", \"path\": \"2/M\xC3\xBCller\\u2028\", "
      "\"kind\": \"folder\"}], \"more\": false, \"stopped\": true}");
}

}  // namespace
}  // namespace tunaro
