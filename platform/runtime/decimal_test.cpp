#include "platform/runtime/decimal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace runtime {
namespace {

Decimal D(std::string_view text) { return Decimal::Parse(text).value(); }

TEST(Decimal, ParsesAndWritesEverySignificantDecimal) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"1500.00", "1500"},    {"  12.50 ", "12.5"},  {"-0.015", "-0.015"}, {"007", "7"},
      {".5", "0.5"},          {"5.", "5"},           {"-0", "0"},          {"", "0"},
      {"   ", "0"},           {"0.000", "0"},        {"-1.05", "-1.05"},
      {"12345678901234567890123456789012345678", "12345678901234567890123456789012345678"},
      {"0.000000000000000000000000000001", "0.000000000000000000000000000001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(D(c.in).ToText(), c.out) << c.in;
  }
}

TEST(Decimal, RejectsWhatIsNoNumberOrTooLong) {
  for (const char* text : {"abc", "1-2", "1.2.3", "+1", "-", ".", "1 2", "1e5", "12a", "--1",
                           "123456789012345678901234567890123456789",  // 39 digits
                           "0.0000000000000000000000000000001"}) {    // 31 places
    EXPECT_FALSE(Decimal::Parse(text).has_value()) << text;
    EXPECT_FALSE(IsNumeric(text)) << text;
  }
  EXPECT_FALSE(IsNumeric(""));
  EXPECT_FALSE(IsNumeric("   "));
  EXPECT_TRUE(IsNumeric(" -12.5  "));
}

TEST(Decimal, DeformatRemovesBlanksAndGroupingOnly) {
  EXPECT_EQ(Deformat("     1,234,567.50"), "1234567.50");
  EXPECT_EQ(Deformat("-12.3"), "-12.3");
  EXPECT_EQ(Deformat(" Bs 12"), "Bs12");
}

TEST(Decimal, ArithmeticIsExact) {
  EXPECT_EQ((D("0.1") + D("0.2")).ToText(), "0.3");
  EXPECT_EQ((D("1000") - D("0.001")).ToText(), "999.999");
  EXPECT_EQ((D("-1.5") * D("0.25")).ToText(), "-0.375");
  EXPECT_EQ(Decimal::Divide(D("1500"), D("100000.0000"), 8).ToText(), "0.015");
  EXPECT_EQ(Decimal::Divide(D("1"), D("3"), 5).ToText(), "0.33333");
  EXPECT_EQ(Decimal::Divide(D("-2"), D("3"), 5).ToText(), "-0.66666");
  EXPECT_EQ(Decimal::Divide(D("12345678901234567.89"), D("100000"), 8).ToText(), "123456789012.3456789");
  EXPECT_EQ(Decimal::Divide(D("1"), D("1000"), 2).ToText(), "0");
  const Decimal tiny = D("0.000000000000000000000000000001");
  EXPECT_EQ(Decimal::Divide(tiny, D("99999999999999999999999999999999999999"), 30).ToText(), "0");
  EXPECT_EQ(Decimal::Divide(Decimal(), tiny, 30).ToText(), "0");
}

TEST(Decimal, FailsLoudlyInsteadOfWrapping) {
  const Decimal big = D("99999999999999999999999999999999999999");
  EXPECT_THROW(big + D("1"), DecimalError);
  EXPECT_THROW(big * D("10"), DecimalError);
  EXPECT_THROW(Decimal::Divide(D("1"), Decimal(), 2), DecimalError);
  EXPECT_THROW(Decimal::Divide(D("1"), D("0.000000000000000000000000000001"), 30), DecimalError);
  EXPECT_EQ((big - big).ToText(), "0");
}

TEST(Decimal, RoundsHalfAwayFromZeroAndTruncatesTowardZero) {
  EXPECT_EQ(D("12.345").Round(2).ToText(), "12.35");
  EXPECT_EQ(D("-12.345").Round(2).ToText(), "-12.35");
  EXPECT_EQ(D("12.3449").Round(2).ToText(), "12.34");
  EXPECT_EQ(D("-1.239").Truncate(2).ToText(), "-1.23");
  EXPECT_EQ(D("7").ToFixedText(2), "7.00");
  EXPECT_EQ(D("-0.004").ToFixedText(2), "0.00");
  EXPECT_EQ(D("-0.005").ToFixedText(2), "-0.01");
}

TEST(Decimal, OrdersAcrossScalesAndSigns) {
  const std::vector<Decimal> ascending = {
      D("-99999999999999999999999999999999999999"), D("-1000"), D("-0.5"), D("-0.001"), D("0"),
      D("0.000000000000000000000000000001"), D("0.01"), D("0.5"), D("999.99"), D("1000"),
      D("99999999999999999999999999999999999999")};
  for (size_t i = 0; i < ascending.size(); ++i) {
    for (size_t j = 0; j < ascending.size(); ++j) {
      EXPECT_EQ(ascending[i] <=> ascending[j], i <=> j) << i << " " << j;
    }
  }
  EXPECT_EQ(D("1.50"), D("1.5"));
}

TEST(Decimal, FitRefusesAValueTooLargeForTheVariable) {
  EXPECT_EQ(D("999999999999999.99").Fit(17, 2).value().ToText(), "999999999999999.99");
  EXPECT_EQ(D("1.005").Fit(5, 2).value().ToText(), "1.01");
  EXPECT_FALSE(D("1000000000000000").Fit(17, 2).has_value());
  EXPECT_FALSE(D("999999999999999.995").Fit(17, 2).has_value());  // rounds up past the top
  EXPECT_FALSE(D("-1000").Fit(5, 2).has_value());
}

TEST(DecimalField, HasTheDocumentedHalfByteLayout) {
  uint8_t field[3];
  ASSERT_TRUE(StoreDecimalField(field, 5, 2, D("-123.45")));
  EXPECT_EQ(std::vector<uint8_t>(field, field + 3), (std::vector<uint8_t>{0x12, 0x34, 0x5D}));
  ASSERT_TRUE(StoreDecimalField(field, 5, 2, D("7.1")));
  EXPECT_EQ(std::vector<uint8_t>(field, field + 3), (std::vector<uint8_t>{0x00, 0x71, 0x00}));
  const uint8_t zeroed[9] = {};
  EXPECT_EQ(LoadDecimalField(zeroed, 17, 2).value(), Decimal());
}

TEST(DecimalField, RoundTripsAndKeepsOrder) {
  const struct {
    int digits, places;
    std::vector<const char*> ascending;
  } cases[] = {
      {17, 2, {"-999999999999999.99", "-1000", "-0.01", "0", "0.01", "999.99", "1000", "12345678901234.56",
               "999999999999999.99"}},
      {9, 2, {"-9999999.99", "-1", "0", "100000", "9999999.99"}},
      {1, 0, {"-9", "0", "9"}},
      {31, 10, {"-999999999999999999999.9999999999", "0.0000000001", "999999999999999999999.9999999999"}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> field(DecimalFieldSize(c.digits), 0xEE);
    std::vector<Decimal> loaded;
    for (const char* text : c.ascending) {
      ASSERT_TRUE(StoreDecimalField(field.data(), c.digits, c.places, D(text))) << text;
      const std::optional<Decimal> back = LoadDecimalField(field.data(), c.digits, c.places);
      ASSERT_TRUE(back.has_value()) << text;
      EXPECT_EQ(back->ToText(), D(text).ToText());
      EXPECT_EQ(DecimalFieldText(field.data(), c.digits, c.places).value(), D(text).ToText());
      loaded.push_back(*back);
    }
    EXPECT_TRUE(std::is_sorted(loaded.begin(), loaded.end())) << c.digits;
  }
}

TEST(DecimalField, OverflowLeavesTheFieldUntouchedAndExtraPlacesRound) {
  uint8_t field[5];
  ASSERT_TRUE(StoreDecimalField(field, 9, 2, D("100000")));
  EXPECT_FALSE(StoreDecimalField(field, 9, 2, D("10000000")));
  EXPECT_FALSE(StoreDecimalField(field, 9, 2, D("-9999999.995")));
  EXPECT_EQ(LoadDecimalField(field, 9, 2).value().ToText(), "100000");
  ASSERT_TRUE(StoreDecimalField(field, 9, 2, D("-0.005")));
  EXPECT_EQ(LoadDecimalField(field, 9, 2).value().ToText(), "-0.01");
  ASSERT_TRUE(StoreDecimalField(field, 9, 2, D("-0.004")));
  EXPECT_EQ(field[4] & 0x0F, 0x0);  // a zero is never stored with a minus sign
}

TEST(DecimalField, DamagedHalfBytesAreNotANumber) {
  const uint8_t bad_digit[3] = {0x1A, 0x00, 0x00};
  const uint8_t bad_last_digit[3] = {0x00, 0x00, 0xB0};
  const uint8_t bad_sign[3] = {0x00, 0x00, 0x0C};
  EXPECT_FALSE(LoadDecimalField(bad_digit, 5, 2).has_value());
  EXPECT_FALSE(LoadDecimalField(bad_last_digit, 5, 2).has_value());
  EXPECT_FALSE(LoadDecimalField(bad_sign, 5, 2).has_value());
  EXPECT_FALSE(DecimalFieldText(bad_sign, 5, 2).has_value());
  EXPECT_FALSE(LoadDecimalFieldAsDouble(bad_sign, 5, 2).has_value());
}

TEST(Decimal, RealsAsTextHaveAtMostFifteenDigits) {
  const struct {
    double in;
    const char* out;
  } cases[] = {
      {1234.5, "1234.5"},  {0.00001, "0.00001"}, {0.1 + 0.2, "0.3"}, {-0.5, "-0.5"}, {0.0, "0"},
      {12345678901234567.0, "12345678901234600"}, {999999999999999.99, "1000000000000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RealToText(c.in), c.out) << c.out;
  }
  uint8_t field[9];
  ASSERT_TRUE(StoreDecimalField(field, 17, 2, D("-1234.56")));
  EXPECT_EQ(LoadDecimalFieldAsDouble(field, 17, 2).value(), -1234.56);
}

}  // namespace
}  // namespace runtime
