#include "platform/runtime/text.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "platform/runtime/cp1252.h"

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

// Random bytes, malformed UTF-8 above all, into fields of every small size: the writers
// never go past the field (each field is a heap block of exactly its size, so the
// sanitizer build sees any overrun), and they keep what the in-memory fits keep.
TEST(Text, FieldWritersNeverPassTheFieldWhateverTheBytes) {
  std::mt19937 random(14);
  std::vector<std::string> inputs = {"ab\x80\x80\x80\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x98\x80x",
                                     "\xC3", "ñ\xBF\xBF"};
  for (int k = 0; k < 300; ++k) {
    std::string bytes(random() % 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 3 == 0 ? 'a' + random() % 26 : 0x80 + random() % 128);
    inputs.push_back(bytes);
  }
  for (size_t n = 1; n <= 8; ++n) {
    for (const std::string& input : inputs) {
      const std::string converted = Utf8ToCp1252(input);
      auto cstring = std::make_unique<uint8_t[]>(n);
      WriteCStringField(cstring.get(), n, input);
      const std::string kept = converted.substr(0, n - 1);
      EXPECT_EQ(std::string(cstring.get(), cstring.get() + n), kept + std::string(n - kept.size(), '\0'));
      EXPECT_EQ(Utf8ToCp1252(FitCString(input, n)), kept);
      auto string = std::make_unique<uint8_t[]>(n);
      WriteStringField(string.get(), n, input);
      const std::string padded = (converted + std::string(n, ' ')).substr(0, n);
      EXPECT_EQ(std::string(string.get(), string.get() + n), padded);
      EXPECT_EQ(Utf8ToCp1252(FitString(input, n)), padded);
    }
  }
}

}  // namespace
}  // namespace runtime
