// The library's text rules: the fold that mirrors the page script's filter,
// letter case as Windows takes it, natural order, the file kinds and the
// picture types.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/file_kinds.h"
#include "library/image_type.h"
#include "library/natural_order.h"
#include "library/text_fold.h"

namespace tunaro {
namespace {

// Each expected fold is what the page script's fold() gives in Node.
TEST(FoldForFindTest, FoldsAsThePageFilterDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"M\xC3\xBCller", "muller"},
      {"\xC3\x80\xC3\x89\xC3\x8E\xC3\x95\xC3\x9C \xC3\x87"
       "a",
       "aeiou ca"},
      {"\xC4\xB0stanbul", "istanbul"},  // U+0130: "i" and a dot above, which goes
      {"\xE1\xBB\x87", "e"},            // two accents
      {"\xE2\x84\xAB", "a"},            // the Angstrom sign
      {"Stra\xC3\x9F"
       "e",
       "stra\xC3\x9F"
       "e"},
      {"\xEF\xAC\x81", "\xEF\xAC\x81"},  // a ligature stays: NFD is not NFKD
      {"\xC7\x84", "\xC7\x86"},          // DZ with caron
      {"x\xF0\x9D\x90\x80", "x\xF0\x9D\x90\x80"},
      // Hangul syllables come apart into their jamo.
      {"\xED\x95\x9C\xEA\xB5\xAD",
       "\xE1\x84\x92\xE1\x85\xA1\xE1\x86\xAB\xE1\x84\x80\xE1\x85\xAE\xE1\x86\xA8"},
      // The final sigma: at a word's end, not before a letter, even past an
      // ignorable dot; a lone one is no word's end.
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82"},
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3 \xCE\x9A\xCE\x91",
       "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x82 \xCE\xBA\xCE\xB1"},
      {"\xCE\x9F\xCE\x94\xCE\x9F\xCE\xA3.mp3", "\xCE\xBF\xCE\xB4\xCE\xBF\xCF\x83.mp3"},
      {"\xCE\xA3", "\xCF\x83"},
      {"a\xCE\xA3\xCC\x81", "a\xCF\x82"},
      // Marks that stay take their canonical order, except across a
      // grapheme joiner.
      {"\xD7\xA9\xD7\x81\xD6\xBC", "\xD7\xA9\xD6\xBC\xD7\x81"},
      {"\xD7\xA9\xD7\x81\xCD\x8F\xD6\xBC", "\xD7\xA9\xD7\x81\xD6\xBC"},
      {"a\xFF"
       "b",
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto& [text, folded] : cases) EXPECT_EQ(FoldForFind(text), folded) << text;
}

TEST(FoldForFindTest, LetterCaseAsWindowsComparesNames) {
  EXPECT_EQ(SimpleUpper(U'a'), U'A');
  EXPECT_EQ(SimpleUpper(U'\u00E4'), U'\u00C4');
  EXPECT_EQ(SimpleUpper(U'\u00DF'), U'\u00DF');  // no one-for-one uppercase
  EXPECT_TRUE(SameIgnoringCase("C:\\Music\\\xC3\xA4", "c:\\MUSIC\\\xC3\x84"));
  EXPECT_FALSE(
      SameIgnoringCase("Stra\xC3\x9F"
                       "e",
                       "STRASSE"));
  EXPECT_FALSE(SameIgnoringCase("a", "ab"));
  EXPECT_EQ(UpperKey("\xC3\xA4"
                     "b\xFF"),
            "\xC3\x84"
            "B\xFF");
}

TEST(NaturalOrderTest, CountsDigitsByValueAndIgnoresCaseAndAccents) {
  std::vector<std::string> names = {
      "track10.mp3", "Track2.mp3", "track1.mp3", "\xC3\x84rger", "apple", "Zebra", "a01", "a1",
      "a001",        "10",         "9",          "_x",           "Apple", "agent"};
  SortNaturally(names, [](const std::string& name) -> const std::string& { return name; });
  const std::vector<std::string> expected = {
      "9",     "10",    "_x",           "a001",       "a01",        "a1",          "agent",
      "Apple", "apple", "\xC3\x84rger", "track1.mp3", "Track2.mp3", "track10.mp3", "Zebra"};
  EXPECT_EQ(names, expected);
  // Only the same bytes are equal, and the order is the same either way round.
  for (const std::string& a : expected) {
    for (const std::string& b : expected) {
      EXPECT_EQ(CompareNaturally(a, b) == 0, a == b);
      EXPECT_EQ(CompareNaturally(a, b) < 0, CompareNaturally(b, a) > 0);
    }
  }
  EXPECT_LT(CompareNaturally("disc 2", "disc 12"), 0);
  EXPECT_LT(CompareNaturally("99999999999999999999999", "100000000000000000000000"), 0);
}

TEST(FileKindTest, AudioAndPlaylistsByExtensionInAnyCase) {
  for (const char* name :
       {"a.mp3", "b.FLAC", "c.Ogg", "d.opus", "e.m4a", "f.aac", "g.wma", "h.wav", "i.aiff", "j.ape",
        "k.mpc", "l.wv", "m.mod", "n.xm", "o.it", "p.S3M", ".mp3", "x.y.mp3"}) {
    EXPECT_EQ(FileKindOf(name), FileKind::kAudio) << name;
  }
  for (const char* name : {"a.m3u", "b.M3U8", "c.pls"}) {
    EXPECT_EQ(FileKindOf(name), FileKind::kPlaylist) << name;
  }
  for (const char* name : {"mp3", "a.", "a.mp3.txt", "cover.jpg", "a.mp3 ", "a.m\xC3\xA4"}) {
    EXPECT_EQ(FileKindOf(name), FileKind::kOther) << name;
  }
}

TEST(ImageTypeTest, TellsThePictureByItsBytes) {
  EXPECT_EQ(ImageMediaType("\xFF\xD8\xFF\xE0rest"), "image/jpeg");
  EXPECT_EQ(ImageMediaType(std::string("\x89PNG\r\n\x1A\n\0\0", 10)), "image/png");
  EXPECT_EQ(ImageMediaType("GIF89a..."), "image/gif");
  EXPECT_EQ(ImageMediaType("GIF87a"), "image/gif");
  EXPECT_EQ(ImageMediaType(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), "image/webp");
  EXPECT_EQ(ImageMediaType("BM" + std::string(24, '\0')), "image/bmp");
  for (const std::string& bytes :
       {std::string(), std::string("\xFF\xD8"), std::string("RIFF\x10\0\0\0WAVEfmt ", 16),
        std::string("BM"), std::string("<svg>"), std::string("\x89PNG")}) {
    EXPECT_EQ(ImageMediaType(bytes), "") << bytes;
  }
}

}  // namespace
}  // namespace tunaro
