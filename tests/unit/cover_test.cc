// The cover of an entry: a picture file beside it, else the picture in its
// tags (through TagLib, read through the seam), refused when too large,
// outside the music folders, or not a picture at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/cover_choice.h"
#include "library/embedded_picture.h"
#include "library/music_folders.h"
#include "tagged_files.h"
#include "testing/fake_system.h"

namespace tunaro {
namespace {

using namespace tagged_files;

class CoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_.folders.AddFolder("C:\\Music");
    folders_ = ResolveMusicFolders(system_, {"C:\\Music"});
  }

  CoverChoice Cover(const std::string& path) { return ChooseCover(system_, folders_, path); }

  std::optional<std::string> Embedded(const std::string& name, const std::string& content) {
    const std::string path = "C:\\Music\\" + name;
    system_.folders.AddFile(path, content);
    return ReadEmbeddedPicture(system_, path, content.size());
  }

  bool WasRead(const std::string& path) {
    for (const FakeFolders::Read& read : system_.folders.reads) {
      if (read.path == path) return true;
    }
    return false;
  }

  FakeSystem system_;
  std::vector<MusicFolder> folders_;
};

TEST_F(CoverTest, NamesRankFolderCoverFrontThenAlbumArt) {
  EXPECT_LT(CoverNameRank("Folder.JPG"), CoverNameRank("cover.jpg"));
  EXPECT_LT(CoverNameRank("cover.jpeg"), CoverNameRank("cover.png"));
  EXPECT_LT(CoverNameRank("cover.png"), CoverNameRank("front.jpg"));
  EXPECT_LT(CoverNameRank("front.png"), CoverNameRank("AlbumArt_{1}_Large.jpg"));
  EXPECT_EQ(CoverNameRank("AlbumArtSmall.png"), CoverNameRank("albumart.png"));
  for (const char* name : {"folder.gif", "back.jpg", "folder", "myfolder.jpg", "albumart"}) {
    EXPECT_EQ(CoverNameRank(name), -1) << name;
  }
}

TEST_F(CoverTest, APictureBesideTheFileComesFirstHiddenOrNot) {
  FakeFolders& f = system_.folders;
  f.AddFile("C:\\Music\\Album\\01.mp3", Mp3({{kFrontCover, Jpeg('t')}}));
  f.AddFile("C:\\Music\\Album\\AlbumArtSmall.jpg", Jpeg('s'));
  f.AddFile("C:\\Music\\Album\\AlbumArt_{X}_Large.jpg", Jpeg('l') + "larger");
  f.AddFile("C:\\Music\\Album\\Cover.JPG", Jpeg('c'));
  f.AddFile("C:\\Music\\Album\\FOLDER.jpg", "not a picture at all");
  f.AddFile("C:\\Music\\Album\\front.jpg", Jpeg('f')).hidden = true;

  CoverChoice cover = Cover("C:\\Music\\Album\\01.mp3");
  ASSERT_EQ(cover.outcome, CoverOutcome::kFound);
  EXPECT_EQ(cover.image.bytes, Jpeg('c'));  // FOLDER.jpg is no picture
  EXPECT_EQ(cover.image.media_type, "image/jpeg");
  EXPECT_EQ(cover.image.etag.size(), 18u);
  EXPECT_EQ(cover.image.etag.front(), '"');

  f.Find("C:\\Music\\Album\\Cover.JPG")->content = "<html>";
  EXPECT_EQ(Cover("C:\\Music\\Album\\01.mp3").image.bytes, Jpeg('f'));
  f.Find("C:\\Music\\Album\\front.jpg")->content.clear();
  // Of the album art, the largest.
  cover = Cover("C:\\Music\\Album\\01.mp3");
  EXPECT_EQ(cover.image.bytes, Jpeg('l') + "larger");
  // The same bytes, the same ETag; other bytes, another.
  EXPECT_EQ(Cover("C:\\Music\\Album\\01.mp3").image.etag, cover.image.etag);
  f.Find("C:\\Music\\Album\\AlbumArt_{X}_Large.jpg")->content.clear();
  f.Find("C:\\Music\\Album\\AlbumArtSmall.jpg")->content.clear();
  const CoverChoice embedded = Cover("C:\\Music\\Album\\01.mp3");
  EXPECT_EQ(embedded.image.bytes, Jpeg('t'));
  EXPECT_NE(embedded.image.etag, cover.image.etag);
}

TEST_F(CoverTest, AHugeOrOutsidePictureIsNeverRead) {
  FakeFolders& f = system_.folders;
  f.AddFile("C:\\Music\\A\\song.flac", Flac({{kFrontCover, Jpeg('e')}}));
  f.AddFile("C:\\Music\\A\\folder.jpg").size = std::uint64_t{1} << 30;
  f.AddFile("C:\\Secret\\cover.jpg", Jpeg('x'));
  f.AddLink("C:\\Music\\A\\cover.jpg", "C:\\Secret\\cover.jpg", false);
  const CoverChoice cover = Cover("C:\\Music\\A\\song.flac");
  EXPECT_EQ(cover.image.bytes, Jpeg('e'));
  EXPECT_FALSE(WasRead("C:\\Music\\A\\folder.jpg"));
  EXPECT_FALSE(WasRead("C:\\Secret\\cover.jpg"));
  EXPECT_FALSE(WasRead("C:\\Music\\A\\cover.jpg"));

  // A file outside the music folders: nothing of it or beside it is read.
  f.AddFile("C:\\Secret\\song.mp3", Mp3({{kFrontCover, Jpeg('x')}}));
  system_.folders.reads.clear();
  system_.folders.listed.clear();
  EXPECT_EQ(Cover("C:\\Secret\\song.mp3").outcome, CoverOutcome::kOutside);
  EXPECT_TRUE(system_.folders.reads.empty());
  EXPECT_TRUE(system_.folders.listed.empty());
  EXPECT_EQ(Cover("C:\\Music\\gone.mp3").outcome, CoverOutcome::kNotFound);
  f.AddFile("C:\\Music\\B\\plain.mp3", Mp3({}));
  EXPECT_EQ(Cover("C:\\Music\\B\\plain.mp3").outcome, CoverOutcome::kNone);
}

TEST_F(CoverTest, EmbeddedPicturesOfEachKindPreferTheFrontCover) {
  const std::vector<Picture> pictures = {{kOtherPicture, Jpeg('o')}, {kFrontCover, Jpeg('f')}};
  EXPECT_EQ(Embedded("a.mp3", Mp3(pictures)), Jpeg('f'));
  EXPECT_EQ(Embedded("b.flac", Flac(pictures)), Jpeg('f'));
  EXPECT_EQ(Embedded("c.m4a", M4a({Jpeg('1'), Jpeg('2')})), Jpeg('1'));
  EXPECT_EQ(Embedded("d.ogg", OggVorbis(pictures)), Jpeg('f'));
  EXPECT_EQ(Embedded("e.opus", Opus(pictures)), Jpeg('f'));
  EXPECT_EQ(Embedded("f.OGG", Opus({{kOtherPicture, Jpeg('o')}})), Jpeg('o'));
  EXPECT_EQ(Embedded("g.mp3", Mp3({{kOtherPicture, Jpeg('o')}})), Jpeg('o'));
  EXPECT_FALSE(Embedded("h.mp3", Mp3({})));
  EXPECT_FALSE(Embedded("i.txt", Mp3(pictures)));
}

TEST_F(CoverTest, DamagedTagsGiveNoPicture) {
  const std::vector<Picture> front = {{kFrontCover, Jpeg('f')}};
  const std::pair<const char*, std::string> files[] = {{"a.mp3", Mp3(front)},
                                                       {"b.flac", Flac(front)},
                                                       {"c.m4a", M4a({Jpeg('f')})},
                                                       {"d.ogg", OggVorbis(front)},
                                                       {"e.opus", Opus(front)}};
  for (const auto& [name, content] : files) {
    // Cut short everywhere (what a cut tag still holds is at most the
    // picture's start), and every byte of the first 64 set to 0xFF.
    for (std::size_t cut = 0; cut < content.size(); cut += 7) {
      const std::optional<std::string> picture = Embedded(name, content.substr(0, cut));
      if (picture) {
        EXPECT_EQ(*picture, Jpeg('f').substr(0, picture->size())) << name << cut;
      }
    }
    for (std::size_t i = 0; i < 64 && i < content.size(); ++i) {
      std::string damaged = content;
      damaged[i] = '\xFF';
      Embedded(name, damaged);
    }
  }
  // A tag that claims far more than the file holds reads no further than it.
  std::string huge = Mp3(front);
  huge.replace(6, 4, "\x7F\x7F\x7F\x7F");
  system_.folders.reads.clear();
  Embedded("huge.mp3", huge);
  for (const FakeFolders::Read& read : system_.folders.reads) EXPECT_LE(read.size, huge.size());
}

}  // namespace
}  // namespace tunaro
