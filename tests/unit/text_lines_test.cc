#include "base/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tunaro {
namespace {

std::vector<std::string> Fields(const std::string& content) {
  std::vector<std::string> out;
  FieldReader reader(content);
  while (!reader.AtEnd()) out.push_back(reader.NextField());
  return out;
}

TEST(FieldReaderTest, CommasBreakQuotesVanishLeadingBlanksGo) {
  using Strings = std::vector<std::string>;
  EXPECT_EQ(Fields("Welcome, friends\r\n"), (Strings{"Welcome", "friends"}));
  EXPECT_EQ(Fields("  \"a, b\" tail, c\r\n"), (Strings{"a, b", "c"}));
  EXPECT_EQ(Fields("<p>\n  <b>x</b>\n"), (Strings{"<p>", "<b>x</b>"}));
  EXPECT_EQ(Fields(""), Strings{});
  EXPECT_EQ(Fields("one\r\n\r\ntwo"), (Strings{"one", "", "two"}));
  EXPECT_EQ(Fields("\"open"), (Strings{"open"}));
  EXPECT_EQ(Fields("\"x\r\ny\""), (Strings{"x\r\ny"}));
  EXPECT_EQ(Fields("a\rb"), (Strings{"a", "b"}));
}

}  // namespace
}  // namespace tunaro
