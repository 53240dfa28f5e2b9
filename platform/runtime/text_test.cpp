#include "platform/runtime/text.h"

#include <gtest/gtest.h>

#include <vector>

namespace runtime {
namespace {

TEST(Text, FitsCStringAndStringByCharacters) {
  EXPECT_EQ(FitCString("Código", 5), "Códi");
  EXPECT_EQ(FitCString("ab", 5), "ab");
  EXPECT_EQ(FitString("ñandú", 3), "ñan");
  EXPECT_EQ(FitString("ñ", 3), "ñ  ");
  EXPECT_EQ(Clip("  a b   "), "  a b");
  EXPECT_EQ(Clip("   "), "");
}

TEST(Text, UpperKeepsWhatTheCodePageCannotHold) {
  EXPECT_EQ(Upper("josé peña ?"), "JOSÉ PEÑA ?");
  EXPECT_EQ(Upper("漢a"), "漢A");
}

TEST(Text, ComparePaddedTreatsTrailingBlanksAsEqual) {
  EXPECT_TRUE(EqualPadded("ABC", "ABC   "));
  EXPECT_TRUE(EqualPadded("", "  "));
  EXPECT_FALSE(EqualPadded("ABC", "ABCD"));
  EXPECT_LT(ComparePadded("AB", "AB!"), 0);  // "!" sorts above the padding blank
  EXPECT_LT(ComparePadded("AB\x01", "AB"), 0);  // 0x01 sorts below the blank
}

TEST(Text, CStringFieldIsNulTerminatedAndCodePage1252) {
  std::vector<uint8_t> field(6, 0xAA);
  WriteCStringField(field.data(), field.size(), "Peñalver");
  EXPECT_EQ(std::string(field.begin(), field.end()), std::string("Pe\xF1" "al\0", 6));
  EXPECT_EQ(ReadCStringField(field.data(), field.size()), "Peñal");
}

TEST(Text, StringFieldIsBlankPadded) {
  std::vector<uint8_t> field(4, 0);
  WriteStringField(field.data(), field.size(), "é");
  EXPECT_EQ(std::string(field.begin(), field.end()), "\xE9   ");
  EXPECT_EQ(ReadStringField(field.data(), field.size()), "é   ");
}

}  // namespace
}  // namespace runtime
