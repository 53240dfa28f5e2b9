// Conversions per second of ConvierteMonto on varied amounts, beside a plain scaled-integer
// implementation of the same rule and the previous implementation, and of the in-place
// conversion of a DECIMAL(17,2) field. Then the identity of every routine with the previous
// implementation on the structured inputs and the seeded random amounts.
//
//   amount_conversion_bench [count] [random_amounts] [threads]
//                           (defaults 1000000, 100000000, 3)
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/amount_conversion.h"
#include "app/amount_conversion_identity.h"
#include "app/amount_conversion_previous.h"
#include "platform/runtime/decimal.h"

namespace {

using Clock = std::chrono::steady_clock;

// The rule on amounts in hundredths: 0 up to 999.99 gives 0.01, anything else is divided
// by 100000 and rounded half away from zero to hundredths.
int64_t ConvertCents(int64_t cents) {
  if (cents >= 0 && cents < 100000) return 1;
  const int64_t magnitude = (cents < 0 ? -cents : cents) + 50000;
  return (cents < 0 ? -1 : 1) * (magnitude / 100000);
}

// Amounts of 1 to 17 digits (the largest a DECIMAL(17,2) holds), a fifth of them negative.
std::vector<int64_t> MakeAmounts(size_t count) {
  std::vector<int64_t> cents(count);
  uint64_t state = 88172645463325252ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int64_t& c : cents) {
    int64_t limit = 1;
    for (uint64_t digits = 1 + next() % 17; digits > 0; --digits) limit *= 10;
    c = static_cast<int64_t>(next() % static_cast<uint64_t>(limit));
    if (next() % 5 == 0) c = -c;
  }
  return cents;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  const uint64_t random_amounts = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100000000;
  const unsigned threads = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 3;
  if (count == 0 || threads == 0) {
    std::fprintf(stderr, "usage: %s [count] [random_amounts] [threads]\n", argv[0]);
    return 2;
  }
  const std::vector<int64_t> cents = MakeAmounts(count);
  std::vector<std::string> texts;
  std::vector<uint8_t> fields(count * runtime::DecimalFieldSize(17));
  texts.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const runtime::Decimal amount = runtime::Decimal::FromUnits(cents[i], 2);
    texts.push_back(amount.ToText());
    if (!runtime::StoreDecimalField(&fields[i * runtime::DecimalFieldSize(17)], 17, 2, amount)) return 1;
  }

  // Each result is used and let go before the next, as the callers do; the texts are made
  // again untimed for the comparison below.
  size_t used = 0;
  Clock::time_point start = Clock::now();
  for (const std::string& text : texts) used += app::ConvierteMonto(text).back();
  const double text_seconds = Seconds(start);

  start = Clock::now();
  for (const std::string& text : texts) used += app::previous::ConvierteMonto(text).back();
  const double previous_seconds = Seconds(start);

  size_t mismatches = 0;
  std::vector<int64_t> plain(count);
  start = Clock::now();
  for (size_t i = 0; i < count; ++i) plain[i] = ConvertCents(cents[i]);
  const double plain_seconds = Seconds(start);

  std::vector<uint8_t> previous_fields = fields;
  start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    if (!app::ConvertAmountField(&fields[i * runtime::DecimalFieldSize(17)], 17)) return 1;
  }
  const double field_seconds = Seconds(start);

  start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    if (!app::previous::ConvertAmountField(&previous_fields[i * runtime::DecimalFieldSize(17)], 17)) return 1;
  }
  const double previous_field_seconds = Seconds(start);
  if (previous_fields != fields) ++mismatches;

  for (size_t i = 0; i < count; ++i) {
    const std::string converted = app::ConvierteMonto(texts[i]);
    const runtime::Decimal expected = runtime::Decimal::FromUnits(plain[i], 2);
    const auto from_text = runtime::Decimal::Parse(converted);
    const auto from_field = runtime::LoadDecimalField(&fields[i * runtime::DecimalFieldSize(17)], 17, 2);
    if (!from_text || *from_text != expected || !from_field || *from_field != expected ||
        converted != app::previous::ConvierteMonto(texts[i])) {
      ++mismatches;
    }
  }

  const double text_rate = static_cast<double>(count) / text_seconds;
  const double previous_rate = static_cast<double>(count) / previous_seconds;
  const double plain_rate = static_cast<double>(count) / plain_seconds;
  const double field_rate = static_cast<double>(count) / field_seconds;
  const double previous_field_rate = static_cast<double>(count) / previous_field_seconds;
  std::printf("amounts:                          %zu (result bytes %zu)\n", count, used);
  std::printf("ConvierteMonto (texts):           %.0f conversions/s (%.3f us each)\n", text_rate, 1e6 / text_rate);
  std::printf("scaled integer (same rule):       %.0f conversions/s (%.4f us each)\n", plain_rate, 1e6 / plain_rate);
  std::printf("ratio scaled integer / texts:     %.1f\n", plain_rate / text_rate);
  std::printf("previous ConvierteMonto:          %.0f conversions/s (%.3f us each, %.1fx today's)\n",
              previous_rate, 1e6 / previous_rate, text_rate / previous_rate);
  std::printf("DECIMAL(17,2) field in place:     %.0f conversions/s (%.3f us each)\n", field_rate, 1e6 / field_rate);
  std::printf("previous field in place:          %.0f conversions/s (%.3f us each, %.1fx today's)\n",
              previous_field_rate, 1e6 / previous_field_rate, field_rate / previous_field_rate);
  std::printf("results differing between them:  %zu\n", mismatches);

  start = Clock::now();
  app::identity::Comparison identity = app::identity::CompareStructured();
  const uint64_t structured = identity.inputs;
  identity.Add(app::identity::CompareRandom(0, random_amounts, threads));
  std::printf("identity with the previous implementation (every routine): %llu structured inputs and "
              "%llu seeded random amounts in %.0f s, %llu results differing\n",
              static_cast<unsigned long long>(structured), static_cast<unsigned long long>(random_amounts),
              Seconds(start), static_cast<unsigned long long>(identity.differing));
  for (const std::string& d : identity.first_differences) std::printf("  %s\n", d.c_str());
  return mismatches == 0 && identity.differing == 0 ? 0 : 1;
}
