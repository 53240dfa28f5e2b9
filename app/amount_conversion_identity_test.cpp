#include "app/amount_conversion_identity.h"

#include <gtest/gtest.h>

namespace app::identity {
namespace {

void ExpectNoDifference(const Comparison& c) {
  EXPECT_EQ(c.differing, 0u);
  for (const std::string& d : c.first_differences) ADD_FAILURE() << d;
}

TEST(AmountConversionIdentity, StructuredInputsGiveWhatThePreviousImplementationGave) {
  const Comparison c = CompareStructured();
  EXPECT_GT(c.inputs, 1000u);
  ExpectNoDifference(c);
}

// The first million of the seeded series; the benchmark runs all hundred million.
TEST(AmountConversionIdentity, SeededRandomAmountsGiveWhatThePreviousImplementationGave) {
  const Comparison c = CompareRandom(0, 1000000, 2);
  EXPECT_EQ(c.inputs, 1000000u);
  ExpectNoDifference(c);
}

}  // namespace
}  // namespace app::identity
