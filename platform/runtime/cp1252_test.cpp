#include "platform/runtime/cp1252.h"

#include <gtest/gtest.h>

namespace runtime {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, MapsTheHighRangeAndReplacesWhatItCannotHold) {
  EXPECT_EQ(Cp1252ToUtf8("\x80\xF1\xC1\x9A"), "€ñÁš");
  EXPECT_EQ(Utf8ToCp1252("año €"), "a\xF1o \x80");
  EXPECT_EQ(Utf8ToCp1252("漢x"), "?x");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");         // truncated sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");    // overlong form of "/"
}

TEST(Cp1252, UpperCoversTheAccentedLetters) {
  EXPECT_EQ(Cp1252ToUtf8(UpperCp1252(Utf8ToCp1252("áéíóúñüçšœžÿ÷ßµabc"))), "ÁÉÍÓÚÑÜÇŠŒŽŸ÷ßµABC");
}

}  // namespace
}  // namespace runtime
