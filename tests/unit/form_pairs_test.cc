#include "cgi/form_pairs.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "cgi/url_decode.h"

namespace tunaro {
namespace {

FormPairs Parse(std::initializer_list<const char*> texts) {
  FormPairs pairs;
  ResetFormPairs(pairs);
  for (const char* text : texts) ParsePairs(text, pairs);
  return pairs;
}

// "name=value" per slot, "" for an empty slot, slot 0 left out.
std::vector<std::string> Slots(const FormPairs& pairs) {
  std::vector<std::string> out;
  for (std::size_t i = 1; i < pairs.size(); ++i) {
    const FormPair& p = pairs[i];
    out.push_back(p.Name.empty() && p.Value.empty() ? "" : p.Name + "=" + p.Value);
  }
  return out;
}

using Strings = std::vector<std::string>;

TEST(ParsePairsTest, SplitsAtEqualsAndAmpersandBeforeDecoding) {
  EXPECT_EQ(Slots(Parse({""})), Strings{});
  EXPECT_EQ(Slots(Parse({"play"})), Strings{});
  EXPECT_EQ(Slots(Parse({"a=1&b=2"})), (Strings{"a=1", "b=2"}));
  EXPECT_EQ(Slots(Parse({"a=%3D&b%26c=2"})), (Strings{"a==", "b&c=2"}));
}

TEST(ParsePairsTest, ReservesOneSlotPerEqualsSign) {
  // A value runs to the next "&", so it may hold "="; its slot stays empty.
  EXPECT_EQ(Slots(Parse({"a=b=c&d=e"})), (Strings{"a=b=c", "d=e", ""}));
  EXPECT_EQ(Slots(Parse({"a=b=c", "d=e"})), (Strings{"a=b=c", "", "d=e"}));
}

TEST(ParsePairsTest, SegmentsWithoutEqualsJoinTheNextName) {
  EXPECT_EQ(Slots(Parse({"x&a=1"})), (Strings{"x&a=1"}));
  EXPECT_EQ(Slots(Parse({"a=1&&b=2"})), (Strings{"a=1", "&b=2"}));
  EXPECT_EQ(Slots(Parse({"a=1&"})), (Strings{"a=1"}));
  EXPECT_EQ(Slots(Parse({"a=1&tail"})), (Strings{"a=1"}));
  FormPairs empty_name = Parse({"=5"});
  ASSERT_EQ(empty_name.size(), 2u);
  EXPECT_EQ(empty_name[1].Name, "");
  EXPECT_EQ(empty_name[1].Value, "5");
  FormPairs empty_value = Parse({"a="});
  ASSERT_EQ(empty_value.size(), 2u);
  EXPECT_EQ(empty_value[1].Name, "a");
  EXPECT_EQ(empty_value[1].Value, "");
}

TEST(ParsePairsTest, KeepsThePairsBeforeAMalformedEscape) {
  FormPairs pairs = Parse({});
  try {
    ParsePairs("a=1&b=%zz&c=3", pairs);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 65001);
  }
  EXPECT_EQ(pairs[1].Value, "1");
}

TEST(UrlDecodeTest, PlusBeforePercentAndNoSecondDecoding) {
  EXPECT_EQ(UrlDecode(""), "");
  EXPECT_EQ(UrlDecode("a+b%2Bc"), "a b+c");
  EXPECT_EQ(UrlDecode("%2541"), "%41");
  EXPECT_EQ(UrlDecode("%e9"), "\xe9");
  EXPECT_EQ(UrlDecode("%E9"), "\xe9");
  EXPECT_EQ(UrlDecode("%C3%A9"), "\xc3\xa9");
  EXPECT_EQ(UrlDecode("%4"), std::string(1, '\x04'));
  EXPECT_EQ(UrlDecode("%00x"), std::string("\0x", 2));
  EXPECT_EQ(UrlDecode("3.+Some+Title"), "3. Some Title");
}

TEST(UrlDecodeTest, MalformedEscapesRaise65001) {
  for (const char* text : {"%zz", "%4G", "%", "a%", "%+1", "%1+", "%G1", "%%41"}) {
    try {
      UrlDecode(text);
      ADD_FAILURE() << text;
    } catch (const RunError& error) {
      EXPECT_EQ(error.number(), 65001) << text;
      EXPECT_EQ(error.description(), "Invalid data passed to UrlDecode() function.");
    }
  }
}

TEST(FormValueTest, MatchesNamesWithoutCaseAndJoinsWithSemicolons) {
  EXPECT_EQ(FormValue(Parse({"MP3List=3.+A"}), "mp3list"), "3. A");
  EXPECT_EQ(FormValue(Parse({"x=1"}), "mp3list"), "");
  EXPECT_EQ(FormValue(Parse({"m=&m=x"}), "M"), "x");
  EXPECT_EQ(FormValue(Parse({"m=x&m="}), "M"), "x;");
  EXPECT_EQ(FormValue(Parse({"m=x&m=y"}), "M"), "x;y");
  EXPECT_EQ(FormValue(Parse({"m=x", "m=y"}), "M"), "x;y");
  EXPECT_EQ(FormValue(Parse({"mp3listx=1"}), "mp3list"), "");
}

TEST(FormValueTest, ServesTablesBeyond32767Slots) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "f=" + std::to_string(i) + "&";
  text += "MP3List=9.+Last";
  EXPECT_EQ(FormValue(Parse({text.c_str()}), "mp3list"), "9. Last");
}

}  // namespace
}  // namespace tunaro
