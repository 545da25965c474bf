#include "numeric/interval.h"

#include "numeric/numeric_state.h"

#include "numeric/real_functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace vexmar {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string show(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", x);
  return text;
}

std::string show(IntervalValue v) { return "[" + show(v.lower) + ", " + show(v.upper) + "]"; }

bool contains(IntervalValue enclosure, double v) { return enclosure.lower <= v && v <= enclosure.upper; }

// Infinite bounds must match exactly, finite ones within the tolerance.
bool closeBound(double actual, double expected, double tolerance) {
  if (std::isinf(expected)) return actual == expected;
  return std::fabs(actual - expected) <= tolerance;
}

double above(double x) { return std::nextafter(x, kInfinity); }
double below(double x) { return std::nextafter(x, -kInfinity); }

constexpr double kDenormMin = std::numeric_limits<double>::denorm_min();

// Poles, extrema, domain edges, overflow thresholds and the ends of the double range.
// clang-format off
constexpr double kSpecialValues[] = {
    0, -0.0, 1, -1, 0.5, -0.5, 2, -2, 3, -3, -1.5, Constant::HalfPi, -Constant::HalfPi, Constant::Pi,
    -Constant::Pi, Constant::ThreeHalvesPi, Constant::TwoPi, 0.46163214496836234, -0.9999999, 10, -10, 1e-300,
    -1e-300, 1e300, -1e300, 700, 710, -710, 172, 1e17, kInfinity, -kInfinity, DBL_MAX, -DBL_MAX, kDenormMin};
// clang-format on

// Random argument intervals from a fixed seed: ordinary values, poles, domain edges, huge and tiny
// magnitudes, infinities, degenerate and one-ulp-wide intervals.
class IntervalSource {
public:
  explicit IntervalSource(std::uint64_t seed) : random_(seed) {}

  double value() {

    const double pick = unit();
    if (pick < 0.3) return kSpecialValues[random_() % std::size(kSpecialValues)];
    if (pick < 0.6) return uniform(-4, 4);
    if (pick < 0.8) return uniform(-60, 60);
    const double magnitude = std::pow(10.0, uniform(-30, 30));
    return unit() < 0.5 ? -magnitude : magnitude;
  }

  IntervalValue interval() {
    const double a = value();
    const double pick = unit();
    double b;
    if (pick < 0.15)
      b = a;
    else if (pick < 0.25 && std::isfinite(a))
      b = above(a);
    else if (pick < 0.35 && std::isfinite(a))
      b = a + std::pow(10.0, uniform(-12, 0)) * std::max(1.0, std::fabs(a));
    else
      b = value();
    return {std::min(a, b), std::max(a, b)};
  }

  // Points of the interval, its ends and their neighbours first.
  std::vector<double> pointsIn(IntervalValue v, std::size_t most) {
    std::vector<double> points{v.lower, v.upper};
    if (v.lower != v.upper) {
      points.push_back(above(v.lower));
      points.push_back(below(v.upper));
    }
    for (double p : {0.0, 1.0, -1.0, 0.46163214496836234, Constant::HalfPi, -Constant::HalfPi, Constant::Pi})
      if (v.lower < p && p < v.upper) points.push_back(p);
    const bool lowFinite = std::isfinite(v.lower);
    const bool highFinite = std::isfinite(v.upper);
    for (int k = 0; k < 6; ++k) {
      double p;
      if (lowFinite && highFinite) {
        const double f = unit();
        p = v.lower * (1 - f) + v.upper * f;
      } else if (highFinite) {
        p = v.upper - std::pow(10.0, uniform(-1, 300));
      } else if (lowFinite) {
        p = v.lower + std::pow(10.0, uniform(-1, 300));
      } else {
        p = (unit() < 0.5 ? -1 : 1) * std::pow(10.0, uniform(-3, 300));
      }
      points.push_back(std::clamp(p, v.lower, v.upper));
    }
    if (points.size() > most) points.resize(most);
    return points;
  }

private:
  double unit() { return std::uniform_real_distribution<double>(0, 1)(random_); }
  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }

  std::mt19937_64 random_;
};

bool atZero(double x) { return x == 0; }

struct UnaryRow {
  const char* name;
  IntervalValue (*interval)(IntervalValue);
  double (*point)(double);
  bool (*pole)(double); // points where the real function has no value but IEEE gives an infinity
};

double sign(double x) { return x > 0 ? 1 : x < 0 ? -1 : x; }

const UnaryRow kUnaryRows[] = {
    {"negate", intervalNegate, [](double x) { return -x; }, nullptr},
    {"abs", intervalAbs, [](double x) { return std::fabs(x); }, nullptr},
    {"sign", intervalSign, sign, nullptr},
    {"reciprocal", intervalReciprocal, [](double x) { return 1 / x; }, atZero},
    {"sqrt", intervalSqrt, [](double x) { return std::sqrt(x); }, nullptr},
    {"exp", intervalExp, [](double x) { return std::exp(x); }, nullptr},
    {"ln", intervalLn, [](double x) { return std::log(x); }, nullptr},
    {"log10", intervalLog10, [](double x) { return std::log10(x); }, nullptr},
    {"sin", [](IntervalValue a) { return intervalSinCos(a, true); }, [](double x) { return std::sin(x); },
     nullptr},
    {"cos", [](IntervalValue a) { return intervalSinCos(a, false); }, [](double x) { return std::cos(x); },
     nullptr},
    {"tan", intervalTan, [](double x) { return std::tan(x); }, nullptr},
    {"cot", intervalCot, cot, atZero},
    {"sec", intervalSec, sec, nullptr},
    {"csc", intervalCsc, csc, atZero},
    {"arcsin", intervalArcsin, [](double x) { return std::asin(x); }, nullptr},
    {"arccos", intervalArccos, [](double x) { return std::acos(x); }, nullptr},
    {"arctan", intervalArctan, [](double x) { return std::atan(x); }, nullptr},
    {"arccot", intervalArccot, arccot, nullptr},
    {"arcsec", intervalArcsec, arcsec, nullptr},
    {"arccsc", intervalArccsc, arccsc, nullptr},
    {"sinh", intervalSinh, [](double x) { return std::sinh(x); }, nullptr},
    {"cosh", intervalCosh, [](double x) { return std::cosh(x); }, nullptr},
    {"tanh", intervalTanh, [](double x) { return std::tanh(x); }, nullptr},
    {"coth", intervalCoth, coth, atZero},
    {"sech", intervalSech, sech, nullptr},
    {"csch", intervalCsch, csch, atZero},
    {"arcsinh", intervalArcsinh, arcsinh, nullptr},
    {"arccosh", intervalArccosh, arccosh, nullptr},
    {"arctanh", intervalArctanh, arctanh, nullptr},
    {"arccoth", intervalArccoth, arccoth, nullptr},
    {"arcsech", intervalArcsech, arcsech, nullptr},
    {"arccsch", intervalArccsch, arccsch, atZero},
    {"factorial", intervalFactorial, factorial, nullptr},
    {"cube root", [](IntervalValue a) { return intervalRationalPower(a, 1, 3); },
     [](double x) { return rationalPower(x, 1, 3); }, nullptr},
    {"power 2/3", [](IntervalValue a) { return intervalRationalPower(a, 2, 3); },
     [](double x) { return rationalPower(x, 2, 3); }, nullptr},
    {"power -1/3", [](IntervalValue a) { return intervalRationalPower(a, -1, 3); },
     [](double x) { return rationalPower(x, -1, 3); }, atZero},
    {"power -4/5", [](IntervalValue a) { return intervalRationalPower(a, -4, 5); },
     [](double x) { return rationalPower(x, -4, 5); }, atZero},
    {"power 7/9", [](IntervalValue a) { return intervalRationalPower(a, 7, 9); },
     [](double x) { return rationalPower(x, 7, 9); }, nullptr},
    {"power 3/2", [](IntervalValue a) { return intervalRationalPower(a, 3, 2); },
     [](double x) { return rationalPower(x, 3, 2); }, nullptr},
};

struct BinaryRow {
  const char* name;
  IntervalValue (*interval)(IntervalValue, IntervalValue);
  double (*point)(double, double);
  bool (*pole)(double, double);
};

const BinaryRow kBinaryRows[] = {
    {"add", intervalAdd, [](double a, double b) { return a + b; }, nullptr},
    {"multiply", intervalMultiply, [](double a, double b) { return a * b; }, nullptr},
    {"divide", intervalDivide, [](double a, double b) { return a / b; },
     [](double, double b) { return b == 0; }},
    {"power", intervalPower, power, [](double a, double b) { return a == 0 && b < 0; }},
    {"less", intervalLess, [](double a, double b) { return a < b ? 1.0 : 0.0; }, nullptr},
    {"greater", intervalGreater, [](double a, double b) { return a > b ? 1.0 : 0.0; }, nullptr},
    {"equal", intervalEqual, [](double a, double b) { return a == b ? 1.0 : 0.0; }, nullptr},
    {"and", intervalAnd, [](double a, double b) { return a != 0 && b != 0 ? 1.0 : 0.0; }, nullptr},
    {"or", intervalOr, [](double a, double b) { return a != 0 || b != 0 ? 1.0 : 0.0; }, nullptr},
    {"angle", intervalAngle, angleOf, nullptr},
    {"hypot", intervalHypot, [](double a, double b) { return std::hypot(a, b); }, nullptr},
};

bool wellFormed(IntervalValue v) {
  return isUndefined(v) ? std::isnan(v.lower) && std::isnan(v.upper) : v.lower <= v.upper;
}

// Every defined point value lies inside the enclosure, so an enclosure is never (NaN, NaN) where
// the function has a value somewhere in the argument. One report per operation.
TEST(IntervalEnclosure, UnaryOperationsContainEveryPointValue) {
  for (const UnaryRow& row : kUnaryRows) {
    IntervalSource source(0x1e7a1);
    for (int i = 0; i < 4000; ++i) {
      const IntervalValue argument = source.interval();
      const IntervalValue result = row.interval(argument);
      std::string miss;
      if (!wellFormed(result)) miss = "malformed";
      for (double x : source.pointsIn(argument, 16)) {
        const double v = row.point(x);
        if (std::isnan(v) || (row.pole && row.pole(x)) || contains(result, v)) continue;
        miss = "misses f(" + show(x) + ") = " + show(v);
        break;
      }
      if (miss.empty()) continue;
      ADD_FAILURE() << row.name << show(argument) << " = " << show(result) << ": " << miss;
      break;
    }
  }
}

TEST(IntervalEnclosure, BinaryOperationsContainEveryPointValue) {
  for (const BinaryRow& row : kBinaryRows) {
    IntervalSource source(0xb1a7);
    for (int i = 0; i < 2500; ++i) {
      const IntervalValue a = source.interval();
      const IntervalValue b = source.interval();
      const IntervalValue result = row.interval(a, b);
      std::string miss = wellFormed(result) ? "" : "malformed";
      for (double x : source.pointsIn(a, 9))
        for (double y : source.pointsIn(b, 9)) {
          const double v = row.point(x, y);
          if (!miss.empty() || std::isnan(v) || (row.pole && row.pole(x, y)) || contains(result, v)) continue;
          miss = "misses f(" + show(x) + ", " + show(y) + ") = " + show(v);
        }
      if (miss.empty()) continue;
      ADD_FAILURE() << row.name << "(" << show(a) << ", " << show(b) << ") = " << show(result) << ": "
                    << miss;
      break;
    }
  }
}

// An enclosure of one point is the point value with rounding room, not a wide safe answer.
TEST(IntervalEnclosure, SinglePointsGiveNarrowEnclosures) {
  const auto narrow = [](IntervalValue result, double v) {
    // Next to the largest double the room above is infinity.
    if (std::fabs(v) > DBL_MAX / 2) return contains(result, v);
    return result.upper - result.lower <= 1e-6 * std::fabs(v) + 1e-300;
  };
  IntervalSource source(0x9017);
  for (int i = 0; i < 3000; ++i) {
    const double x = source.value();
    const double y = source.value();
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    for (const UnaryRow& row : kUnaryRows) {
      const double v = row.point(x);
      if (!std::isfinite(v)) continue;
      ASSERT_TRUE(narrow(row.interval({x, x}), v)) << row.name << "(" << show(x) << ")";
    }
    for (const BinaryRow& row : kBinaryRows) {
      const double v = row.point(x, y);
      if (!std::isfinite(v) || (row.interval == intervalAngle && x == 0 && y == 0))
        continue; // no angle at the origin
      ASSERT_TRUE(narrow(row.interval({x, x}, {y, y}), v))
          << row.name << "(" << show(x) << ", " << show(y) << ")";
    }
  }
}

TEST(IntervalEnclosure, NaNBoundGivesUndefined) {
  for (const IntervalValue& a : {IntervalValue{kNaN, 1}, IntervalValue{1, kNaN}}) {
    for (const UnaryRow& row : kUnaryRows) EXPECT_TRUE(isUndefined(row.interval(a))) << row.name;
    for (const BinaryRow& row : kBinaryRows) {
      EXPECT_TRUE(isUndefined(row.interval(a, {1, 2}))) << row.name;
      EXPECT_TRUE(isUndefined(row.interval({1, 2}, a))) << row.name;
    }
  }
}

TEST(IntervalEnclosure, WhollyOutsideTheDomainIsUndefined) {
  struct Row {
    const char* name;
    IntervalValue result;
  };
  const Row rows[] = {
      {"ln of negatives", intervalLn({-3, -1})},
      {"sqrt of negatives", intervalSqrt({-4, -1})},
      {"arcsin above 1", intervalArcsin({1.5, 2})},
      {"arccos below -1", intervalArccos({-kInfinity, -2})},
      {"arcsec inside the gap", intervalArcsec({-0.5, 0.5})},
      {"arccsc inside the gap", intervalArccsc({-0.99, 0.99})},
      {"arccosh below 1", intervalArccosh({-1, 0.5})},
      {"arctanh above 1", intervalArctanh({2, 5})},
      {"arccoth inside the gap", intervalArccoth({-0.5, 0.5})},
      {"arcsech above 1", intervalArcsech({2, 3})},
      {"negative base, fractional exponent", intervalPower({-2, -1}, {0.5, 0.5})},
      {"negative base, no integer exponent", intervalPower({-2, -1}, {2.2, 2.8})},
      {"factorial at a pole", intervalFactorial({-3, -3})},
  };
  for (const Row& row : rows) EXPECT_TRUE(isUndefined(row.result)) << row.name << " " << show(row.result);
}

// Where the documented rules allow either, the part where the function is defined is enclosed.
TEST(IntervalEnclosure, PartlyOutsideTheDomainEnclosesTheDefinedPart) {
  struct Row {
    const char* name;
    IntervalValue result;
    IntervalValue expected;
  };
  const Row rows[] = {
      {"ln from below zero to 1", intervalLn({-1, 1}), {-kInfinity, 0}},
      {"arcsin from -2 to 0", intervalArcsin({-2, 0}), {-Constant::HalfPi, 0}},
      {"arccosh from 0 to 1", intervalArccosh({0, 1}), {0, 0}},
      {"square root as a power", intervalPower({-1, 4}, {0.5, 0.5}), {0, 2}},
      {"square root from below zero", intervalSqrt({-1, 4}), {0, 2}},
      {"arcsec from 0.5 to 2", intervalArcsec({0.5, 2}), {0, Constant::Pi / 3}},
      {"arcsech from -1 to 1", intervalArcsech({-1, 1}), {0, kInfinity}},
  };
  for (const Row& row : rows) {
    EXPECT_TRUE(closeBound(row.result.lower, row.expected.lower, 4e-15)) << row.name << show(row.result);
    EXPECT_TRUE(closeBound(row.result.upper, row.expected.upper, 4e-15)) << row.name << show(row.result);
  }
}

// A region drawn from an enclosure must know when part of the box has no value at all.
TEST(IntervalEnclosure, ReachingOutsideTheDomainIsNoted) {
  struct Row {
    const char* name;
    IntervalValue (*operation)();
    bool partlyUndefined;
  };
  const Row rows[] = {
      {"square root from below zero",
       [] {
         return intervalSqrt({-1, 4});
       },
       true},
      {"square root from zero",
       [] {
         return intervalSqrt({0, 4});
       },
       false},
      {"ln from below zero",
       [] {
         return intervalLn({-1, 1});
       },
       true},
      {"ln from zero",
       [] {
         return intervalLn({0, 1});
       },
       false},
      {"arcsin beyond 1",
       [] {
         return intervalArcsin({0, 2});
       },
       true},
      {"arcsin within",
       [] {
         return intervalArcsin({-1, 1});
       },
       false},
      {"arcsec across the gap",
       [] {
         return intervalArcsec({0.5, 2});
       },
       true},
      {"arcsec beside the gap",
       [] {
         return intervalArcsec({1, 2});
       },
       false},
      {"an even root below zero",
       [] {
         return intervalRationalPower({-1, 1}, 1, 4);
       },
       true},
      {"an odd root below zero",
       [] {
         return intervalRationalPower({-1, 1}, 1, 3);
       },
       false},
      {"a fractional power of a negative base",
       [] {
         return intervalPower({-1, 1}, {0.5, 0.5});
       },
       true},
      {"an integer power of a negative base",
       [] {
         return intervalPower({-1, 1}, {3, 3});
       },
       false},
      {"a pole is a single point",
       [] {
         return intervalReciprocal({-1, 1});
       },
       false},
      {"wholly outside is undefined, not partly",
       [] {
         return intervalSqrt({-2, -1});
       },
       false},
  };
  for (const Row& row : rows) {
    numericState().partlyUndefined = false;
    (void)row.operation();
    EXPECT_EQ(numericState().partlyUndefined, row.partlyUndefined) << row.name;
  }
  numericState().partlyUndefined = false;
}

// The machine's rules, and values known exactly kept exact: otherwise x^2 over [-1, 2] would get a
// lower bound just below zero and the machine's square root would call sqrt(x^2) undefined.
TEST(IntervalRules, ExactResults) {
  struct Row {
    const char* name;
    IntervalValue result;
    IntervalValue expected;
  };
  const IntervalValue line = wholeLine();
  const Row rows[] = {
      {"cosine of (0, 7) covers a period", intervalSinCos({0, 7}, false), {-1, 1}},
      {"sine with an infinite bound", intervalSinCos({-kInfinity, 0}, true), {-1, 1}},
      {"reciprocal across zero", intervalReciprocal({-1, 2}), line},
      {"reciprocal of zero", intervalReciprocal({0, 0}), {kInfinity, kInfinity}},
      {"reciprocal from zero up", intervalReciprocal({0, 2}), {0.5, kInfinity}},
      {"reciprocal up to zero", intervalReciprocal({-4, 0}), {-kInfinity, -0.25}},
      {"infinities of both signs added", intervalAdd({-kInfinity, 0}, {kInfinity, kInfinity}), line},
      {"abs across zero", intervalAbs({-5, 3}), {0, 5}},
      {"sign from zero up", intervalSign({0, 3}), {0, 1}},
      {"square over -1..2", intervalPower({-1, 2}, {2, 2}), {0, 4}},
      {"cube over -2..-1", intervalPower({-2, -1}, {3, 3}), {-8, -1}},
      {"power of two", intervalPower({2, 2}, {-3, -3}), {0.125, 0.125}},
      {"square root of a square", intervalPower({9, 9}, {0.5, 0.5}), {3, 3}},
      {"the same as a root", intervalRationalPower({9, 9}, 1, 2), {3, 3}},
      {"cube root of zero", intervalRationalPower({0, 0}, 1, 3), {0, 0}},
      {"one to a fractional power", intervalRationalPower({1, 1}, -2, 3), {1, 1}},
      {"integer products", intervalMultiply({2, 3}, {-4, 5}), {-12, 15}},
      {"sine from zero", intervalSinCos({0, 0}, true), {0, 0}},
      {"exp of zero", intervalExp({0, 0}), {1, 1}},
      {"ln of one", intervalLn({1, 1}), {0, 0}},
      {"hypot on an axis", intervalHypot({0, 0}, {-3, -3}), {3, 3}},
      {"factorial of an integer", intervalFactorial({4, 4}), {24, 24}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.result.lower, row.expected.lower) << row.name << show(row.result);
    EXPECT_EQ(row.result.upper, row.expected.upper) << row.name << show(row.result);
  }
  EXPECT_FALSE(isUndefined(intervalSqrt(intervalSinCos({0, 1}, true))));
  EXPECT_FALSE(isUndefined(intervalSqrt(intervalAdd(intervalCosh({-1, 0}), {-1, -1}))));
}

// Sampling doubles never lands on pi/2 or pi; these catch extrema and poles between two doubles.
TEST(IntervalRules, ExtremaAndPolesBetweenAdjacentDoubles) {
  const IntervalValue aroundHalfPi{Constant::HalfPi, above(Constant::HalfPi)};
  const IntervalValue aroundPi{Constant::Pi, above(Constant::Pi)};
  EXPECT_EQ(intervalSinCos(aroundHalfPi, true).upper, 1);
  EXPECT_EQ(intervalSinCos(aroundPi, false).lower, -1);
  EXPECT_EQ(intervalSinCos({-above(Constant::Pi), -Constant::Pi}, false).lower, -1);
  for (IntervalValue v : {intervalTan(aroundHalfPi), intervalCot(aroundPi), intervalSec(aroundHalfPi),
                          intervalCsc(aroundPi), intervalTan({-above(Constant::HalfPi), -Constant::HalfPi})})
    EXPECT_TRUE(v.lower == -kInfinity && v.upper == kInfinity) << show(v);
  // Away from an extremum the bounds come from the ends.
  const IntervalValue nearZero = intervalSinCos({0.1, 0.2}, true);
  EXPECT_NEAR(nearZero.lower, std::sin(0.1), 1e-15);
  EXPECT_NEAR(nearZero.upper, std::sin(0.2), 1e-15);
}

// The bounds must hold the exact result of the rounded operation, not just its rounding.
TEST(IntervalRules, BoundsHoldExactResults) {
  // 0.1 + 0.2 rounds up to 0.30000000000000004; the exact sum lies one double below.
  const IntervalValue sum = intervalAdd({0.1, 0.1}, {0.2, 0.2});
  EXPECT_EQ(sum.upper, 0.1 + 0.2);
  EXPECT_EQ(sum.lower, below(0.1 + 0.2));
  // The exact sum of two largest doubles is finite: the lower bound may not be +inf.
  EXPECT_EQ(intervalAdd({DBL_MAX, DBL_MAX}, {DBL_MAX, DBL_MAX}).lower, DBL_MAX);

  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> range(-1e3, 1e3);
  for (int i = 0; i < 20000; ++i) {
    const double a = range(random);
    const double b = range(random);
    // fma(p, q, -r) is p q - r rounded once, so its sign is exact.
    const IntervalValue product = intervalMultiply({a, a}, {b, b});
    ASSERT_GE(std::fma(a, b, -product.lower), 0) << a << " * " << b;
    ASSERT_LE(std::fma(a, b, -product.upper), 0) << a << " * " << b;
    ASSERT_LE(product.upper, above(product.lower)) << "more than one step wide";
    const double sign = b > 0 ? 1 : -1;
    const IntervalValue quotient = intervalDivide({a, a}, {b, b});
    ASSERT_LE(std::fma(quotient.lower, b, -a) * sign, 0) << a << " / " << b;
    ASSERT_GE(std::fma(quotient.upper, b, -a) * sign, 0) << a << " / " << b;
    const IntervalValue reciprocal = intervalReciprocal({b, b});
    ASSERT_LE(std::fma(reciprocal.lower, b, -1.0) * sign, 0) << "1 / " << b;
    ASSERT_GE(std::fma(reciprocal.upper, b, -1.0) * sign, 0) << "1 / " << b;
    const double positive = std::fabs(a);
    const IntervalValue root = intervalSqrt({positive, positive});
    ASSERT_LE(std::fma(root.lower, root.lower, -positive), 0) << "sqrt " << positive;
    ASSERT_GE(std::fma(root.upper, root.upper, -positive), 0) << "sqrt " << positive;
  }
}

// `result` holds `expected` and is hardly wider.
void expectTightAround(IntervalValue result, IntervalValue expected, const char* name) {
  EXPECT_TRUE(result.lower <= expected.lower && result.upper >= expected.upper) << name << show(result);
  EXPECT_TRUE(closeBound(result.lower, expected.lower, 1e-14 * std::fabs(expected.lower)) &&
              closeBound(result.upper, expected.upper, 1e-14 * std::fabs(expected.upper)))
      << name << show(result);
}

TEST(IntervalRules, PowerIsTightAroundItsTrueRange) {
  struct Row {
    const char* name;
    IntervalValue base;
    IntervalValue exponent;
    IntervalValue expected;
  };
  const Row rows[] = {
      {"odd power across zero", {-2, 3}, {3, 3}, {-8, 27}},
      {"negative odd power across zero", {-2, 3}, {-1, -1}, {-kInfinity, kInfinity}},
      {"negative even power across zero", {-2, 4}, {-2, -2}, {0.0625, kInfinity}},
      {"negative base, one integer exponent inside", {-2, -1}, {1.5, 2.5}, {1, 4}},
      {"negative base, odd and even exponents", {-2, -1}, {1.5, 3.5}, {-8, 8}},
      {"zero to a negative power", {0, 0}, {-1, -1}, {kInfinity, kInfinity}},
      {"zeroth power", {-5, 5}, {0, 0}, {1, 1}},
      {"base 2, every exponent", {2, 2}, {-kInfinity, kInfinity}, {0, kInfinity}},
      {"base and exponent intervals", {1, 4}, {-1, 0.5}, {0.25, 2}},
      {"fractional power", {2, 3}, {1.5, 1.5}, {std::pow(2, 1.5), std::pow(3, 1.5)}},
  };
  for (const Row& row : rows) {
    const IntervalValue result = intervalPower(row.base, row.exponent);
    expectTightAround(result, row.expected, row.name);
  }
}

// An odd denominator makes x^(p/q) an odd (p odd) or even (p even) function, rising or falling on
// each side of zero; negative exponents have a pole there. An even denominator leaves out the
// negative part.
TEST(IntervalRules, RationalPowersFollowTheirMonotonePieces) {
  struct Row {
    const char* name;
    IntervalValue base;
    double p;
    int q;
    IntervalValue expected;
  };
  const Row rows[] = {
      {"cube root across zero", {-8, 27}, 1, 3, {-2, 3}},
      {"cube root below zero", {-27, -8}, 1, 3, {-3, -2}},
      {"odd power below zero", {-8, -1}, 5, 3, {-32, -1}},
      {"even power across zero", {-8, 1}, 2, 3, {0, 4}},
      {"even power below zero", {-27, -8}, 4, 3, {16, 81}},
      {"negative odd power below zero", {-8, -1}, -1, 3, {-1, -0.5}},
      {"negative odd power up to zero", {-8, 0}, -1, 3, {-kInfinity, -0.5}},
      {"negative odd power across zero", {-1, 8}, -1, 3, {-kInfinity, kInfinity}},
      {"negative even power across zero", {-8, 1}, -2, 3, {0.25, kInfinity}},
      {"fifth root", {-32, 243}, 1, 5, {-2, 3}},
      {"square root's part at or above zero", {-4, 9}, 1, 2, {0, 3}},
      {"an infinite end", {-kInfinity, -1}, 1, 3, {-kInfinity, -1}},
  };
  for (const Row& row : rows) {
    const IntervalValue result = intervalRationalPower(row.base, row.p, row.q);
    expectTightAround(result, row.expected, row.name);
  }
  EXPECT_TRUE(isUndefined(intervalRationalPower({-4, -1}, 1, 2)));
  EXPECT_TRUE(isUndefined(intervalRationalPower({-4, -1}, 3, 4)));
}

TEST(IntervalRules, Factorial) {
  // Gamma's minimum lies inside: the lower bound is at most Gamma(1.4616...) but close to it.
  const IntervalValue aroundMinimum = intervalFactorial({0.3, 0.6});
  EXPECT_LE(aroundMinimum.lower, 0.8856031944108887);
  EXPECT_GT(aroundMinimum.lower, 0.8856);
  // The pole at -1 as the left end: x! comes down from +inf.
  const IntervalValue fromPole = intervalFactorial({-1, 0});
  EXPECT_EQ(fromPole.upper, kInfinity);
  EXPECT_TRUE(fromPole.lower <= 1 && fromPole.lower > 0.99) << show(fromPole);
  const IntervalValue acrossPoles = intervalFactorial({-2.5, -0.5});
  EXPECT_TRUE(acrossPoles.lower == -kInfinity && acrossPoles.upper == kInfinity) << show(acrossPoles);
  // Beyond the largest double the values are finite all the same, unlike at a pole.
  const IntervalValue huge = intervalFactorial({1500, 1500.5});
  EXPECT_TRUE(huge.lower <= DBL_MAX && huge.upper == kInfinity) << show(huge);
}

// Containment alone would accept (0, 1) everywhere; a settled comparison must say so.
TEST(IntervalRules, ComparisonsAndLogicSettleWhenTheyCan) {
  struct Row {
    const char* name;
    IntervalValue result;
    double lower;
    double upper;
  };
  const Row rows[] = {
      {"surely less", intervalLess({1, 2}, {3, 4}), 1, 1},
      {"touching is not less", intervalLess({3, 4}, {1, 3}), 0, 0},
      {"overlapping less", intervalLess({1, 3}, {2, 4}), 0, 1},
      {"surely greater", intervalGreater({5, 6}, {3, 4}), 1, 1},
      {"disjoint not equal", intervalEqual({1, 2}, {3, 4}), 0, 0},
      {"and with a zero", intervalAnd({0, 0}, {-1, 2}), 0, 0},
      {"and of nonzeros", intervalAnd({1, 2}, {-3, -1}), 1, 1},
      {"or with a nonzero", intervalOr({-1, 1}, {2, 3}), 1, 1},
      {"or with a maybe-zero", intervalOr({-1, 1}, {0, 0}), 0, 1},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.result.lower, row.lower) << row.name;
    EXPECT_EQ(row.result.upper, row.upper) << row.name;
  }
}

} // namespace
} // namespace vexmar
