#include "base/number_reader.h"

#include <gtest/gtest.h>

#include "base/run_error.h"

namespace tunaro {
namespace {

std::int32_t ContentLength(const char* text) { return RoundToInt32(ReadLeadingNumber(text)); }
std::int16_t Width(const char* text) { return RoundToInt16(ReadLeadingNumber(text)); }

TEST(NumberReaderTest, ReadsTheNumberAtTheStartAndStopsAtTheFirstStranger) {
  EXPECT_EQ(ContentLength("12"), 12);
  EXPECT_EQ(ContentLength("12abc"), 12);
  EXPECT_EQ(ContentLength("1 2"), 12);
  EXPECT_EQ(ContentLength(" \t1\n2 "), 12);
  EXPECT_EQ(ContentLength(""), 0);
  EXPECT_EQ(ContentLength("abc"), 0);
  EXPECT_EQ(ContentLength("-"), 0);
  EXPECT_EQ(ContentLength("."), 0);
  EXPECT_EQ(ContentLength("-7"), -7);
  EXPECT_EQ(ContentLength("+7"), 7);
  EXPECT_EQ(ContentLength("--7"), 0);
  EXPECT_EQ(ContentLength("1e3"), 1000);
  EXPECT_EQ(ContentLength("1E+2x"), 100);
  EXPECT_EQ(ContentLength("1D2"), 100);
  EXPECT_EQ(ContentLength("5e"), 5);  // an exponent without digits is not read
  EXPECT_EQ(ContentLength("12.7"), 13);
  EXPECT_EQ(ContentLength("1.2.3"), 1);
  EXPECT_EQ(ContentLength("\r12"), 0);  // only blanks, tabs and line feeds are ignored
}

TEST(NumberReaderTest, ReadsHexadecimalAndOctalAfterAnAmpersand) {
  EXPECT_EQ(ContentLength("&H1F"), 31);
  EXPECT_EQ(ContentLength("&hff"), 255);
  EXPECT_EQ(ContentLength("&O17"), 15);
  EXPECT_EQ(ContentLength("&o19"), 1);  // 9 is no octal digit
  EXPECT_EQ(ContentLength("&HZ"), 0);
  EXPECT_EQ(ContentLength("&12"), 0);
}

TEST(NumberReaderTest, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(Width("2.5"), 2);
  EXPECT_EQ(Width("3.5"), 4);
  EXPECT_EQ(Width("12.5"), 12);
  EXPECT_EQ(Width("13.5"), 14);
  EXPECT_EQ(Width("-2.5"), -2);
  EXPECT_EQ(Width("0.5"), 0);
  EXPECT_EQ(Width("1.5000001"), 2);
}

TEST(NumberReaderTest, OverflowsOutsideTheTargetRange) {
  EXPECT_EQ(Width("32767"), 32767);
  EXPECT_EQ(Width("-32768"), -32768);
  EXPECT_EQ(Width("32767.4"), 32767);
  for (const char* text : {"32768", "-32769", "32767.5", "1e10", "&H10000"}) {
    try {
      Width(text);
      ADD_FAILURE() << text;
    } catch (const RunError& error) {
      EXPECT_EQ(error.number(), 6) << text;
      EXPECT_EQ(error.description(), "Overflow");
    }
  }
  EXPECT_EQ(ContentLength("2147483647"), 2147483647);
  EXPECT_EQ(ContentLength("-2147483648"), INT32_MIN);
  EXPECT_THROW(ContentLength("2147483648"), RunError);
  EXPECT_THROW(ContentLength("99999999999999999999999"), RunError);
  EXPECT_THROW(ContentLength("1e999"), RunError);
  EXPECT_EQ(ContentLength("1e-999"), 0);
}

}  // namespace
}  // namespace tunaro
