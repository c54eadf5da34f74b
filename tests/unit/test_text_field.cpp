// Cutting CP932 text to fixed fields.
#include <gtest/gtest.h>

#include "text/text_field.h"

namespace sopora {
namespace {

TEST(TextFieldTest, PrefixKeepsWholeCharacters) {
  struct Case {
    std::string text;
    std::size_t max;
    std::string expected;
  };
  const Case cases[] = {
      {"abc", 10, "abc"},
      {"abc", 2, "ab"},
      {"aア", 2, "a"},          // the lead byte would stand alone
      {"aア", 3, "aア"},
      {"アイ", 3, "ア"},
      {"ｱｲ", 1, "ｱ"},           // half-width katakana are single bytes
      {"a\x81", 5, "a"},        // a truncated double-byte character is dropped
      {"", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932Prefix(c.text, c.max), c.expected) << c.text << " " << c.max;
}

TEST(TextFieldTest, FieldReadsStopAtTheFieldsEnd) {
  char field[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(TextOfField(field), "abcd");
  CopyTextToField(field, "xy");
  EXPECT_EQ(TextOfField(field), "xy");
  EXPECT_EQ(field[2], '\0');
  EXPECT_EQ(field[3], '\0');
}

}  // namespace
}  // namespace sopora
