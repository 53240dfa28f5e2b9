// The amount conversion of amount_conversion.h against its previous implementation, input
// by input and routine by routine: a structured set of inputs, and any share of a seeded
// series of random amounts. Used by the identity test and by the benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app::identity {

struct Comparison {
  uint64_t inputs = 0;     // inputs compared, each through every routine that takes it
  uint64_t differing = 0;  // results that differed
  std::vector<std::string> first_differences;  // the first few, described

  void Add(const Comparison& other);
};

// Every digit count from 1 to 17 with every rounding digit, both signs, cut and tie tails;
// the 1000 boundary; zero; texts that are no number or that the pictures wrote; amounts
// beyond what a field or the division holds. ConvierteMonto runs under several factors,
// among them zero and one that does not fit, for its "Error" results.
Comparison CompareStructured();

// The amounts numbered first to first + count - 1 of the seeded series (amount i is the same
// on every run), on `threads` threads.
Comparison CompareRandom(uint64_t first, uint64_t count, unsigned threads = 1);

// Amount i of the series: 1 to 17 digits, 0 to 10 decimals, a third of them negative, as
// the run writes them and now and then as a double, a picture or with its zeros kept.
std::string RandomAmount(uint64_t index);

}  // namespace app::identity
