#include "app/amount_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/globals.h"
#include "platform/runtime/decimal.h"

namespace app {
namespace {

// The converted amount as ConvierteMonto writes it: right-aligned in 19 characters.
std::string Right19(std::string_view text) { return std::string(19 - text.size(), ' ') + std::string(text); }

TEST(AmountConversion, ConvertsByTheFactorWithTheSmallAmountRule) {
  const struct {
    const char* amount;
    std::string converted;
  } cases[] = {
      {"0", "0.01"},
      {"0.01", "0.01"},
      {"500.00", "0.01"},
      {"999.99", "0.01"},
      {"999.999", "0.01"},
      {"1000.00", Right19("0.01")},
      {"1000", Right19("0.01")},
      {"1500.00", Right19("0.02")},
      {"1499.99", Right19("0.01")},
      {"234500.00", Right19("2.35")},
      {"876543210.00", Right19("8765.43")},
      {"7654321.89", Right19("76.54")},
      {"-500.00", Right19("-0.01")},
      {"-400.00", Right19("0.00")},
      {"-1000.00", Right19("-0.01")},
      {"-1499.99", Right19("-0.01")},
      {"-0.01", Right19("0.00")},
      {"-234500.00", Right19("-2.35")},
      {"999999999999999.99", Right19("10000000000.00")},
      {"-999999999999999.99", Right19("-10000000000.00")},
      {"12345678901234567", Right19("123456789012.35")},
      {"123456789012499.99", Right19("1234567890.12")},
      {"-123456789012499.99", Right19("-1234567890.12")},
      {"123456789012500.00", Right19("1234567890.13")},
      {"   1,234,567.00", Right19("12.35")},  // the text a number picture writes
      {"abc", "Error"},
      {"", "Error"},
      {"   ", "Error"},
      {"12abc", "Error"},
      {"1.2.3", "Error"},
      {"Error", "Error"},
      {"99999999999999999999999999999999999999", "Error"},  // beyond what the division holds
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ConvierteMonto(c.amount), c.converted) << c.amount;
  }
}

TEST(AmountConversion, ReadsTheFactorAtEveryCall) {
  const runtime::Decimal saved = GLO::FACTORC;
  GLO::FACTORC = runtime::Decimal::FromInt(1000);
  EXPECT_EQ(ConvierteMonto("1500.00"), Right19("1.50"));
  GLO::FACTORC = runtime::Decimal();
  EXPECT_EQ(ConvierteMonto("1500.00"), "Error");
  GLO::FACTORC = saved;
  EXPECT_EQ(ConvierteMonto("1500.00"), Right19("0.02"));
}

TEST(AmountConversion, RoundingHelpersRoundHalfAwayAndAnswerErrorOutsideTheirRange) {
  EXPECT_EQ(RedondeaMonto("12.345", 2), Right19("12.35"));
  EXPECT_EQ(RedondeaMonto("-12.345", 2), Right19("-12.35"));
  EXPECT_EQ(RedondeaMonto("12.3449", 2), Right19("12.34"));
  EXPECT_EQ(RedondeaMonto("0.99999", 3), Right19("1.000"));
  EXPECT_EQ(RedondeaMonto("-2.5", 5), Right19("-2.50000"));
  EXPECT_EQ(RedondeaMonto("12.35", 1), "12.4");  // outside 2 to 5: plain text
  EXPECT_EQ(RedondeaMonto("12.34", 1), "12.3");
  EXPECT_EQ(RedondeaMonto("abc", 2), "Error");
  EXPECT_EQ(RedondeaMonto("1", 10), "Error");

  EXPECT_EQ(DigitoRedondeo("12.345", 2), "0.5");
  EXPECT_EQ(DigitoRedondeo("-0.004", 2), "-0.4");
  EXPECT_EQ(DigitoRedondeo("7", 2), "0");
  EXPECT_EQ(DigitoRedondeo("x", 2), "Error");

  const struct {
    const char* amount;
    int decimals;
    const char* out;
  } cut[] = {
      {"123", 2, "123.00"},  {"123.", 2, "123.00"}, {"12.3", 2, "12.30"},   {"-1.239", 2, "-1.23"},
      {"0.015", 3, "0.015"}, {"5", 5, "5.00000"},   {"12.99", 0, "12."},    {" 1,000.5 ", 2, "1000.50"},
      {"abc", 2, "Error"},   {"1", -1, "Error"},
  };
  for (const auto& c : cut) {
    EXPECT_EQ(FormateaDecimales(c.amount, c.decimals), c.out) << c.amount << " " << c.decimals;
  }

  EXPECT_EQ(PotenciaDiez(10, 2), 100);
  EXPECT_EQ(PotenciaDiez(10, 0), 1);
  EXPECT_EQ(PotenciaDiez(10, 9), 1000000000);
  EXPECT_EQ(PotenciaDiez(1, 2000000000), 1);
  EXPECT_THROW(PotenciaDiez(10, 10), runtime::DecimalError);
  EXPECT_THROW(PotenciaDiez(10, -1), runtime::DecimalError);
}

TEST(AmountConversion, ConvertsAFieldFromItsExactValue) {
  const struct {
    int digits;
    const char* amount;
    const char* converted;
  } cases[] = {
      {17, "123456789012499.99", "1234567890.12"},
      {17, "-99999999999999.99", "-1000000000"},
      {17, "0", "0.01"},
      {17, "-400", "0"},
      {11, "999999999.99", "10000"},
      {5, "999.99", "0.01"},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> field(runtime::DecimalFieldSize(c.digits));
    ASSERT_TRUE(runtime::StoreDecimalField(field.data(), c.digits, 2, runtime::Decimal::Parse(c.amount).value()));
    ASSERT_TRUE(ConvertAmountField(field.data(), c.digits)) << c.amount;
    EXPECT_EQ(runtime::DecimalFieldText(field.data(), c.digits, 2).value(), c.converted) << c.amount;
  }
  // Through a double's 15 significant digits the same amount reads as 123456789012500
  // and would come out 0.01 higher.
  EXPECT_EQ(ConvierteMonto(runtime::RealToText(123456789012499.99)), Right19("1234567890.13"));

  uint8_t damaged[9] = {0, 0, 0, 0, 0, 0, 0, 0x12, 0x3C};
  EXPECT_FALSE(ConvertAmountField(damaged, 17));
  EXPECT_EQ(damaged[8], 0x3C);
}

}  // namespace
}  // namespace app
