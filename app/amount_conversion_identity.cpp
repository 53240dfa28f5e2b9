#include "app/amount_conversion_identity.h"

#include <algorithm>
#include <array>
#include <optional>
#include <thread>

#include "app/amount_conversion.h"
#include "app/amount_conversion_previous.h"
#include "app/globals.h"
#include "platform/runtime/decimal.h"
#include "platform/runtime/picture.h"

namespace app::identity {
namespace {

using runtime::Decimal;

constexpr size_t kDifferencesKept = 10;
constexpr uint64_t kSeed = 0x5DEECE66DULL;

// The field sizes of the converted amounts: DECIMAL(17,2), (13,2), (11,2), and a small one.
constexpr int kFieldDigits[] = {17, 13, 11, 5};

class Comparer {
 public:
  Comparison result;

  void Count() { ++result.inputs; }

  void Same(const char* routine, std::string_view input, int decimals, const std::string& now,
            const std::string& before) {
    if (now == before) return;
    ++result.differing;
    if (result.first_differences.size() < kDifferencesKept) {
      result.first_differences.push_back(std::string(routine) + "(\"" + std::string(input) + "\", " +
                                         std::to_string(decimals) + "): \"" + now + "\", before \"" +
                                         before + "\"");
    }
  }

  void Conversion(std::string_view amount) {
    Same("ConvierteMonto", amount, 2, ConvierteMonto(amount), previous::ConvierteMonto(amount));
  }

  void Helpers(std::string_view amount, int decimals) {
    Same("RedondeaMonto", amount, decimals, RedondeaMonto(amount, decimals),
         previous::RedondeaMonto(amount, decimals));
    Same("DigitoRedondeo", amount, decimals, DigitoRedondeo(amount, decimals),
         previous::DigitoRedondeo(amount, decimals));
    Same("FormateaDecimales", amount, decimals, FormateaDecimales(amount, decimals),
         previous::FormateaDecimales(amount, decimals));
  }

  // The amount stored in a DECIMAL(digits,2) field (when it fits one) and converted there
  // by both: the same answer and the same bytes.
  void Field(std::string_view amount, int digits) {
    const std::optional<Decimal> value = Decimal::Parse(amount);
    std::array<uint8_t, 16> now{}, before{};
    if (!value || !runtime::StoreDecimalField(now.data(), digits, 2, *value)) return;
    before = now;
    const bool now_ok = ConvertAmountField(now.data(), digits);
    const bool before_ok = previous::ConvertAmountField(before.data(), digits);
    const auto describe = [](bool ok, const std::array<uint8_t, 16>& field, int d) {
      return (ok ? "" : "refused ") + runtime::DecimalFieldText(field.data(), d, 2).value_or("damaged");
    };
    Same("ConvertAmountField", amount, digits, describe(now_ok, now, digits), describe(before_ok, before, digits));
  }
};

// One text of a number that the rounding digit r decides: `digits` digits in hundredths,
// the hundreds digit of the amount (the third decimal of the quotient) set to r, and the
// digits below it all `tail`.
std::string Patterned(int digits, int r, char tail, bool negative) {
  std::string cents;
  for (int i = 0; i < digits; ++i) cents += static_cast<char>('1' + (i * 7) % 9);
  const int rounding = digits - 5;  // the hundreds digit, counted from the left
  if (rounding >= 0) {
    cents[static_cast<size_t>(rounding)] = static_cast<char>('0' + r);
    for (int i = rounding + 1; i < digits; ++i) cents[static_cast<size_t>(i)] = tail;
  } else {
    cents.back() = static_cast<char>('0' + r);
  }
  const int64_t units = std::stoll(cents);
  return Decimal::FromUnits(negative ? -units : units, 2).ToText();
}

std::vector<std::string> StructuredInputs() {
  std::vector<std::string> inputs;
  for (int digits = 1; digits <= 17; ++digits) {
    for (int r = 0; r <= 9; ++r) {
      for (const char tail : {'0', '9', '4'}) {
        for (const bool negative : {false, true}) inputs.push_back(Patterned(digits, r, tail, negative));
      }
    }
  }
  // Every digit count as a run of nines and as a one followed by zeros, which every
  // rounding carries through or leaves alone.
  for (int digits = 1; digits <= 40; ++digits) {
    const std::string nines(static_cast<size_t>(digits), '9');
    const std::string power = "1" + std::string(static_cast<size_t>(digits - 1), '0');
    for (const std::string& n : {nines, power}) {
      inputs.push_back(n);
      inputs.push_back("-" + n);
      if (digits > 2) inputs.push_back(n.substr(0, n.size() - 2) + "." + n.substr(n.size() - 2));
      inputs.push_back("0." + n);
    }
  }
  const char* const fixed[] = {
      // the 1000 boundary and the small-amount rule
      "999.99", "999.999", "999.9999999999", "1000", "1000.00", "1000.001", "1000.01", "999", "1001",
      "-999.99", "-1000", "-1000.00", "-1000.01", "1499.99", "1500", "1500.00", "-1500", "-1499.99",
      "500", "-500", "-400", "0.01", "-0.01", "499.999", "999.995", "1000.005",
      // zero
      "0", "0.00", "-0", "-0.00", "0.", "000", ".0", "-.0", "00.000", "-000",
      // number texts as typed or as the pictures write them
      ".5", "-.5", "5.", "-5.", "007.50", "-0.004", "12.345", "-12.345", "12.3449", "0.99999",
      "   1,234,567.00", "1,000", "  -5,000.50 ", " 12 ", "1 2", "1,2", ",5", "5,", "1.2,3",
      "1234567890123456.78", "12345678901234567.89", "99999999999999999.99",
      // beyond a field, beyond the division, beyond a Decimal
      "99999999999999999999", "123456789012345678901234567890123456.78",
      "12345678901234567890123456789012345678", "123456789012345678901234567890123456789",
      "0.000000000000000000000000000001", "0.0000000000000000000000000000001",
      "1.000000000000000000000000000000000000", "-0.000000000000000000000000000009",
      "0.00000000005", "-0.000000000049", "0.0000000001",
      // no numbers
      "", " ", "   ", "abc", "12abc", "1.2.3", "-", ".", "-.", " - ", "+1", "1e5", "1-2", "--1",
      "Error", "error", "ERROR", " Error ", "\xC3\x89rror", "1\xC2\xA0" "2", "12.5x", "0x10", "\t1",
      ",", ",,", "-,5", "1..2", "..", "1.-2",
  };
  inputs.insert(inputs.end(), std::begin(fixed), std::end(fixed));
  return inputs;
}

// The factors ConvierteMonto runs under: the usual one, others that divide exactly or not,
// a negative one, zero and ones that round to zero or do not fit DECIMAL(19,4) ("Error").
std::vector<Decimal> Factors() {
  std::vector<Decimal> factors;
  for (const char* f : {"100000", "100000.00", "1000", "1", "0.01", "0.0001", "3", "123.4567", "100000.00005",
                        "-100000", "99999999999999.9999", "0", "0.00001", "1000000000000000"}) {
    factors.push_back(Decimal::Parse(f).value());
  }
  return factors;
}

uint64_t Mix(uint64_t x) {  // SplitMix64: one well-spread number per index
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

void CompareRange(uint64_t first, uint64_t count, Comparer* comparer) {
  for (uint64_t i = first; i < first + count; ++i) {
    const std::string amount = RandomAmount(i);
    comparer->Count();
    comparer->Conversion(amount);
    comparer->Field(amount, 17);
    comparer->Helpers(amount, static_cast<int>(i % 12) - 1);  // -1 to 10
  }
}

}  // namespace

void Comparison::Add(const Comparison& other) {
  inputs += other.inputs;
  differing += other.differing;
  for (const std::string& d : other.first_differences) {
    if (first_differences.size() < kDifferencesKept) first_differences.push_back(d);
  }
}

Comparison CompareStructured() {
  Comparer comparer;
  const std::vector<std::string> inputs = StructuredInputs();
  const Decimal saved = GLO::FACTORC;
  for (const Decimal& factor : Factors()) {
    GLO::FACTORC = factor;
    for (const std::string& amount : inputs) {
      comparer.Conversion(amount);
      for (const int digits : kFieldDigits) comparer.Field(amount, digits);
    }
  }
  GLO::FACTORC = saved;
  for (const std::string& amount : inputs) {
    comparer.Count();
    for (int decimals = -2; decimals <= 11; ++decimals) comparer.Helpers(amount, decimals);
    comparer.Helpers(amount, 40);
  }
  return comparer.result;
}

Comparison CompareRandom(uint64_t first, uint64_t count, unsigned threads) {
  threads = std::max(1u, threads);
  std::vector<Comparer> comparers(threads);
  std::vector<std::thread> running;
  const uint64_t share = count / threads;
  for (unsigned t = 0; t < threads; ++t) {
    const uint64_t begin = first + t * share;
    const uint64_t size = t + 1 == threads ? count - t * share : share;
    running.emplace_back(CompareRange, begin, size, &comparers[t]);
  }
  Comparison total;
  for (unsigned t = 0; t < threads; ++t) {
    running[t].join();
    total.Add(comparers[t].result);
  }
  return total;
}

std::string RandomAmount(uint64_t index) {
  uint64_t state = Mix(kSeed + index);
  const auto next = [&state](uint64_t below) {
    state = Mix(state);
    return state % below;
  };
  const auto digits = static_cast<size_t>(1 + next(17));
  static constexpr int kPlaces[] = {2, 2, 2, 2, 2, 2, 0, 1, 3, 4, 5, 10};
  const int places = kPlaces[next(std::size(kPlaces))];
  const bool negative = next(3) == 0;
  std::string raw;  // the digits with their zeros, the point set `places` from the right
  for (size_t i = 0; i < digits; ++i) raw += static_cast<char>('0' + next(10));
  if (raw.size() <= static_cast<size_t>(places)) raw.insert(0, static_cast<size_t>(places) + 1 - raw.size(), '0');
  if (places > 0) raw.insert(raw.size() - static_cast<size_t>(places), ".");
  const Decimal value = Decimal::Parse(raw).value();
  switch (next(8)) {
    case 0: return (negative ? "-" : "") + raw;
    case 1: return runtime::RealToText((negative ? -value : value).ToDouble());
    case 2: {
      const std::string picture = places == 0 ? "n-25" : "n-25." + std::to_string(places);
      return runtime::FormatNumber(negative ? -value : value, picture);
    }
    default: return (negative ? -value : value).ToText();
  }
}

}  // namespace app::identity
