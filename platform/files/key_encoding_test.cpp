#include "platform/files/key_encoding.h"

#include <gtest/gtest.h>

#include <cstring>

namespace files {
namespace {

constexpr FieldDecl kReal[] = {{"R:VALUE", FieldType::Real, 0, 8, 0, 0},
                               {"R:SHORT", FieldType::Short, 8, 2, 0, 0}};
constexpr KeyPart kByReal[] = {{0, false}};
constexpr KeyPart kByShortDown[] = {{1, true}};
constexpr KeyDecl kKeys[] = {{"R:KEYREAL", kByReal, 0}, {"R:KEYSHORT", kByShortDown, 0}};
constexpr RecordLayout kLayout = {10, kReal, kKeys, {}};

std::string Encode(int key, double real, int16_t number) {
  uint8_t record[10];
  std::memcpy(record, &real, 8);
  std::memcpy(record + 8, &number, 2);
  return EncodeKeyValue(kLayout, kKeys[key], record);
}

// The other key tests run through the file; these types appear in no catalogue key but
// must still order by value.
TEST(KeyEncoding, RealsAndDescendingShortsOrderByValue) {
  const double reals[] = {-1e300, -2.5, -0.0, 0.0, 1e-300, 3.0, 1e300};
  for (size_t i = 1; i < std::size(reals); ++i) {
    EXPECT_LE(Encode(0, reals[i - 1], 0), Encode(0, reals[i], 0)) << reals[i];
  }
  EXPECT_LT(Encode(0, -2.5, 0), Encode(0, -1.0, 0));
  const int16_t shorts[] = {32767, 1, 0, -1, -32768};
  for (size_t i = 1; i < std::size(shorts); ++i) {
    EXPECT_LT(Encode(1, 0, shorts[i - 1]), Encode(1, 0, shorts[i])) << shorts[i];
  }
}

TEST(KeyEncoding, PrefixEndBoundsEveryColumnOfThePrefix) {
  const std::string value("\x01\xFF", 2);
  const std::string end = PrefixEnd(value, 10);
  EXPECT_EQ(end, std::string("\x02"));
  EXPECT_LT(KeyColumn(value, 0x7FFFFFFFFFFFFFFF), end);
  EXPECT_GT(PrefixEnd("", 10), std::string(10, '\xFF'));
}

}  // namespace
}  // namespace files
