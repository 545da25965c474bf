// Point values against MPFR: every routine stays within the error bound the interval routines
// widen its results by, and the tables and constants the engine carries hold what they say.

#include "mpfr_reference.h"
#include "numeric/detail/factorial_turns.h"
#include "numeric/detail/routine_error_bounds.h"
#include "numeric/evaluator.h"
#include "numeric/interval.h"
#include "numeric/real_functions.h"
#include "random_expressions.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <random>
#include <string>

namespace vexmar {
namespace {

using detail::Routine;

// Arguments from everywhere a function is used: ordinary values, magnitudes from tiny to huge,
// and the neighbourhoods of +-1, the poles and the overflow thresholds where formulas lose digits.
class ArgumentSource {
public:
  explicit ArgumentSource(std::uint64_t seed) : random_(seed) {}

  double next() {
    const double p = unit();
    const double sign = unit() < 0.5 ? -1 : 1;
    if (p < 0.3) return sign * std::pow(10.0, uniform(-10, 10));
    if (p < 0.5) return uniform(-4, 4);
    if (p < 0.7) return sign * (1 + (unit() < 0.5 ? -1 : 1) * std::pow(10.0, -uniform(1, 16)));
    if (p < 0.85) {
      constexpr double kNear[] = {
          1.5707963267948966, 3.141592653589793, 0, -1, -2, -3.5, -10, -171.5, 709, 710, 20};
      const double at = kNear[random_() % std::size(kNear)];
      return at + (unit() < 0.5 ? -1 : 1) * std::pow(10.0, -uniform(1, 15)) * std::max(1.0, std::fabs(at));
    }
    if (p < 0.93) return sign * uniform(0, 800);
    return sign * std::pow(10.0, uniform(-320, 300));
  }

private:
  double unit() { return std::uniform_real_distribution<double>(0, 1)(random_); }
  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  std::mt19937_64 random_;
};

struct RoutineRow {
  Routine routine;
  const char* tree; // the function of x as a text form, for the reference
  std::function<double(double)> point;
};

const RoutineRow kRoutines[] = {
    {Routine::Exp, "exp[char[x]]", [](double x) { return std::exp(x); }},
    {Routine::Ln, "ln[char[x]]", [](double x) { return std::log(x); }},
    {Routine::Log10, "log[char[x]]", [](double x) { return std::log10(x); }},
    {Routine::Sin, "sin[char[x]]", [](double x) { return std::sin(x); }},
    {Routine::Cos, "cos[char[x]]", [](double x) { return std::cos(x); }},
    {Routine::Tan, "tan[char[x]]", [](double x) { return std::tan(x); }},
    {Routine::Cot, "cot[char[x]]", cot},
    {Routine::Sec, "sec[char[x]]", sec},
    {Routine::Csc, "csc[char[x]]", csc},
    {Routine::Arcsin, "asin[char[x]]", [](double x) { return std::asin(x); }},
    {Routine::Arccos, "acos[char[x]]", [](double x) { return std::acos(x); }},
    {Routine::Arctan, "atan[char[x]]", [](double x) { return std::atan(x); }},
    {Routine::Arccot, "acot[char[x]]", arccot},
    {Routine::Arcsec, "asec[char[x]]", arcsec},
    {Routine::Arccsc, "acsc[char[x]]", arccsc},
    {Routine::Sinh, "sinh[char[x]]", [](double x) { return std::sinh(x); }},
    {Routine::Cosh, "cosh[char[x]]", [](double x) { return std::cosh(x); }},
    {Routine::Tanh, "tanh[char[x]]", [](double x) { return std::tanh(x); }},
    {Routine::Coth, "coth[char[x]]", coth},
    {Routine::Sech, "sech[char[x]]", sech},
    {Routine::Csch, "csch[char[x]]", csch},
    {Routine::Arcsinh, "asinh[char[x]]", arcsinh},
    {Routine::Arccosh, "acosh[char[x]]", arccosh},
    {Routine::Arctanh, "atanh[char[x]]", arctanh},
    {Routine::Arccoth, "acoth[char[x]]", arccoth},
    {Routine::Arcsech, "asech[char[x]]", arcsech},
    {Routine::Arccsch, "acsch[char[x]]", arccsch},
    {Routine::Power, "power[char[x],num[2.5,\"2.5\"]]", [](double x) { return power(x, 2.5); }},
    {Routine::Hypot, "char[r]", [](double x) { return std::hypot(x, 0.3); }},
    {Routine::Angle, "char[theta]", [](double x) { return angleOf(0.3, x); }},
    {Routine::Factorial, "fact[char[x]]", factorial},
    {Routine::RationalPower, "power[char[x],over[num[2,\"2\"],num[3,\"3\"]]]",
     [](double x) { return rationalPower(x, 2, 3); }},
};

// The worst error of f over many arguments, in ulps, and where it occurred.
struct Worst {
  double ulps = 0;
  double at = 0;
  int negativeArguments = 0; // below zero and with a value
};

Worst worstError(const MathObject& tree, const std::function<double(double)>& f, int count,
                 std::uint64_t seed, double y = 0.3) {
  ArgumentSource source(seed);
  Worst worst;
  test::BigFloat exact(200);
  for (int i = 0; i < count; ++i) {
    const double x = source.next();
    if (!test::trueValue(tree, x, y, 200, exact)) continue;
    worst.negativeArguments += x < 0;
    const double ulps = test::ulpsBetween(f(x), exact);
    if (ulps > worst.ulps) {
      worst.ulps = ulps;
      worst.at = x;
    }
  }
  return worst;
}

// The worst error of the compiled program of `text`, a function of x, printed.
Worst compiledError(const char* text, int count, std::uint64_t seed) {
  ObjectPtr tree = readObjectText(text);
  Evaluator e(cloneTree(*tree));
  compileBatch({&e});
  const Worst worst = worstError(
      *tree, [&](double x) { return e.evalUVXYZ(0, 0, x, 0.3, 0); }, count, seed);
  std::printf("%-52s worst %6.2f ulps (at %.17g)\n", text, worst.ulps, worst.at);
  return worst;
}

TEST(PointAccuracy, EveryRoutineStaysWithinItsErrorBound) {
  ASSERT_EQ(std::size(kRoutines), std::size(detail::kRoutineErrorBounds));
  const int count = test::soakScaled(3000);
  for (const RoutineRow& row : kRoutines) {
    ObjectPtr tree = readObjectText(row.tree);
    ASSERT_TRUE(tree) << row.tree;
    const Worst worst = worstError(*tree, row.point, count, 0xacc + static_cast<int>(row.routine));
    const int bound = detail::errorUlps(row.routine);
    std::printf("%-22s worst %6.2f ulps (at %.17g), bound %d\n", row.tree, worst.ulps, worst.at, bound);
    EXPECT_LT(worst.ulps, bound) << row.tree << " at " << worst.at;
  }
}

// What the compiler makes of powers: e^u is exp(u), small integer exponents are multiplied out.
TEST(PointAccuracy, PowersAsCompiled) {
  struct Row {
    const char* tree;
    double bound;
  };
  const Row rows[] = {
      {"power[char[e],char[x]]", 1},
      {"power[char[x],num[2,\"2\"]]", 0.5},
      {"power[char[x],num[3,\"3\"]]", 1.5},
      {"power[char[x],num[5,\"5\"]]", 3.5},
      {"power[char[x],num[6,\"6\"]]", 3.5},
      {"power[char[x],num[-1,\"-1\"]]", 0.5},
      {"power[char[x],num[-4,\"-4\"]]", 3.5},
      {"power[char[x],num[9,\"9\"]]", 1},
      {"sqrt[char[x]]", 0.5},
  };
  for (const Row& row : rows) {
    const Worst worst = compiledError(row.tree, test::soakScaled(3000), 0x90e);
    EXPECT_LE(worst.ulps, row.bound) << row.tree << " at " << worst.at;
  }
}

// Exact exponents: roots with an index and literal fractions, which have values below zero where
// the denominator is odd. The runtime's power of p/q rounded would be a hundred ulps off and more
// near the ends of the double range.
TEST(PointAccuracy, RootsAndFractionalPowersAsCompiled) {
  struct Row {
    const char* tree;
    double bound;
    bool negativeBases;
  };
  const Row rows[] = {
      {"sqrt[char[x],num[2,\"2\"]]", 0.5, false},
      {"sqrt[char[x],num[3,\"3\"]]", 1.5, true},
      {"sqrt[char[x],num[4,\"4\"]]", 1.5, false},
      {"sqrt[char[x],num[5,\"5\"]]", 1.5, true},
      {"sqrt[char[x],num[7,\"7\"]]", 1.5, true},
      {"sqrt[char[x],minus[num[3,\"3\"]]]", 1.5, true},
      {"power[char[x],over[num[1,\"1\"],num[3,\"3\"]]]", 1.5, true},
      {"power[char[x],over[num[2,\"2\"],num[3,\"3\"]]]", 1.5, true},
      {"power[char[x],minus[over[num[1,\"1\"],num[3,\"3\"]]]]", 1.5, true},
      {"power[char[x],minus[over[num[2,\"2\"],num[3,\"3\"]]]]", 1.5, true},
      {"power[char[x],over[num[5,\"5\"],num[3,\"3\"]]]", 1.5, true},
      {"power[char[x],over[num[4,\"4\"],num[7,\"7\"]]]", 1.5, true},
      {"power[char[x],over[num[3,\"3\"],num[2,\"2\"]]]", 1.5, false},
      {"power[char[x],over[num[1,\"1\"],num[6,\"6\"]]]", 1.5, false},
  };
  for (const Row& row : rows) {
    const Worst worst = compiledError(row.tree, test::soakScaled(5000), 0x7007);
    EXPECT_LE(worst.ulps, row.bound) << row.tree << " at " << worst.at;
    // Half the arguments are negative: those of odd roots have values too.
    EXPECT_EQ(worst.negativeArguments > 0, row.negativeBases) << row.tree;
  }
}

TEST(PointAccuracy, FactorialNearItsNegativePoles) {
  // Gamma(-170.5) is a normal number, though tiny; the sign alternates from piece to piece.
  const double x = -171.5;
  const double v = factorial(x);
  EXPECT_TRUE(std::isnormal(v)) << v;
  ObjectPtr tree = readObjectText("fact[char[x]]");
  test::BigFloat exact(200);
  ASSERT_TRUE(test::trueValue(*tree, x, 0, 200, exact));
  EXPECT_LT(test::ulpsBetween(v, exact), detail::errorUlps(Routine::Factorial));
  for (double at : {-1.5, -2.5, -3.5, -4.25})
    EXPECT_EQ(std::signbit(factorial(at)), std::fmod(std::ceil(-at), 2) == 0) << at;
}

// The constants' enclosures hold the real numbers, and are as narrow as doubles allow.
TEST(ReferenceTables, ConstantsLieInTheirEnclosures) {
  struct Row {
    const char* name;
    IntervalValue enclosure;
    const char* tree;
  };
  const Row rows[] = {
      {"pi", ConstantEnclosure::Pi, "char[pi]"},
      {"e", ConstantEnclosure::E, "char[e]"},
      {"degree", ConstantEnclosure::Degree, "char[degree]"},
  };
  for (const Row& row : rows) {
    ObjectPtr tree = readObjectText(row.tree);
    EXPECT_EQ(test::placeAgainst(*tree, 0, 0, row.enclosure.lower, row.enclosure.upper), 0) << row.name;
    EXPECT_EQ(std::nextafter(row.enclosure.lower, INFINITY), row.enclosure.upper) << row.name;
  }
  EXPECT_EQ(Constant::Degree, Constant::Pi / 180);
}

// Each row of the factorial's table: the turning point is the double nearest the true one, and
// the least magnitude is the true one rounded toward zero.
TEST(ReferenceTables, FactorialTurningPoints) {
  constexpr mpfr_prec_t kBits = 100;
  test::BigFloat low(kBits), high(kBits), middle(kBits), slope(kBits), least(kBits);
  const auto slopeAt = [&](mpfr_srcptr x) { // digamma(x + 1), the slope of ln |x!|
    mpfr_add_ui(slope.get(), x, 1, MPFR_RNDN);
    mpfr_digamma(slope.get(), slope.get(), MPFR_RNDN);
    return mpfr_sgn(slope.get());
  };
  for (std::size_t n = 0; n < std::size(detail::kFactorialTurns); ++n) {
    SCOPED_TRACE("piece " + std::to_string(n));
    const detail::FactorialTurn& turn = detail::kFactorialTurns[n];
    mpfr_set_d(low.get(), std::nextafter(turn.at, -INFINITY), MPFR_RNDN);
    mpfr_set_d(high.get(), std::nextafter(turn.at, INFINITY), MPFR_RNDN);
    ASSERT_LT(slopeAt(low.get()), 0);
    ASSERT_GT(slopeAt(high.get()), 0);
    for (int i = 0; i < 40; ++i) { // to 2^-40 of a double's spacing: the value moves far less than an ulp
      mpfr_add(middle.get(), low.get(), high.get(), MPFR_RNDN);
      mpfr_div_2ui(middle.get(), middle.get(), 1, MPFR_RNDN);
      mpfr_set(slopeAt(middle.get()) < 0 ? low.get() : high.get(), middle.get(), MPFR_RNDN);
    }
    EXPECT_EQ(mpfr_get_d(middle.get(), MPFR_RNDN), turn.at);
    mpfr_add_ui(least.get(), middle.get(), 1, MPFR_RNDN);
    mpfr_gamma(least.get(), least.get(), MPFR_RNDN);
    mpfr_abs(least.get(), least.get(), MPFR_RNDN);
    EXPECT_GE(mpfr_cmp_d(least.get(), turn.leastMagnitude), 0) << turn.leastMagnitude;
    EXPECT_LT(mpfr_cmp_d(least.get(), std::nextafter(turn.leastMagnitude, INFINITY)), 0)
        << turn.leastMagnitude;
  }
}

} // namespace
} // namespace vexmar
