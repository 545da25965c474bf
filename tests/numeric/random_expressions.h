#pragma once

// Random expressions in text form, with every function the evaluator knows, and random boxes to
// evaluate them over, for the tests that hold enclosures to the true values.

#include "numeric/interval.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vexmar::test {

/// How many cases a randomised test runs: `count`, times VEXMAR_SOAK when that is set.
[[nodiscard]] int soakScaled(int count);

class RandomExpressions {
public:
  explicit RandomExpressions(std::uint64_t seed) : random_(seed) {}

  /// An expression of x and y nested up to `depth` levels: constants, decimal literals, every
  /// function, powers (literal fractions among their exponents), roots, logarithms, comparisons.
  [[nodiscard]] std::string expression(int depth);
  /// An interval of x or y: narrow, wide, across zero, beside a pole or a domain edge, huge, tiny,
  /// or a single point.
  [[nodiscard]] IntervalValue interval();
  /// A narrow interval (relative width about `relativeWidth`) somewhere ordinary.
  [[nodiscard]] IntervalValue narrowInterval(double relativeWidth);
  /// Points of the box to check: its corners and centre, special values inside it, and random ones.
  [[nodiscard]] std::vector<std::pair<double, double>> pointsIn(IntervalValue x, IntervalValue y, int random);

  [[nodiscard]] double unit() { return std::uniform_real_distribution<double>(0, 1)(random_); }
  [[nodiscard]] double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  [[nodiscard]] std::size_t pick(std::size_t count) { return random_() % count; }

private:
  std::string leaf();
  std::string fraction();
  std::string number(const char* text);
  double valueIn(IntervalValue v);

  std::mt19937_64 random_;
};

} // namespace vexmar::test
