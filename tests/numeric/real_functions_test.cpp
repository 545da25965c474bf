#include "numeric/real_functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace vexmar {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// NaN matches NaN, infinities and relative 0 match exactly, others within the relative tolerance.
::testing::AssertionResult matches(double actual, double expected, double relative) {
  const bool ok = std::isnan(expected) ? std::isnan(actual)
                  : std::isinf(expected) || relative == 0
                      ? actual == expected
                      : std::fabs(actual - expected) <= relative * std::fabs(expected);
  if (ok) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << actual << ", expected " << expected;
}

TEST(Factorial, KnownValues) {
  struct Row {
    const char* name;
    double x;
    double expected;
    double relative; // 0: exact
  };
  const Row rows[] = {
      {"0!", 0, 1, 0},
      {"5! exactly", 5, 120, 0},
      {"22! is still exact", 22, 1124000727777607680000.0, 0},
      {"29! by the product", 29, 8841761993739701954543616000000.0, 1e-15},
      {"30! by the series", 30, 2.6525285981219107e32, 1e-9},
      {"0.5!", 0.5, 0.886226925452758, 1e-9},
      {"(-0.5)! by reflection", -0.5, 1.772453850905516, 1e-9},
      {"(-1.5)! is negative", -1.5, -3.544907701811032, 1e-9},
      {"170! does not overflow early", 170, 7.257415615307994e306, 1e-9},
      {"1000! is infinite, not NaN", 1000, kInfinity, 0},
      {"(-1)! pole", -1, kNaN, 0},
      {"(-2)! pole", -2, kNaN, 0},
      {"-inf", -kInfinity, kNaN, 0},
  };
  for (const Row& row : rows) EXPECT_TRUE(matches(factorial(row.x), row.expected, row.relative)) << row.name;
}

TEST(Factorial, AgreesWithTheLibraryGamma) {
  std::mt19937_64 random(17);
  std::uniform_real_distribution<double> range(-30, 170);
  for (int i = 0; i < 5000; ++i) {
    const double x = range(random);
    if (x < 0 && std::fabs(x - std::round(x)) < 1e-3) continue; // both lose digits next to a pole
    ASSERT_TRUE(matches(factorial(x), std::tgamma(x + 1), 1e-9)) << "x = " << x;
  }
}

TEST(ReciprocalFunctions, EdgeValues) {
  struct Row {
    const char* name;
    double (*f)(double);
    double x;
    double expected;
  };
  const Row rows[] = {
      {"arccot 0", arccot, 0, Constant::HalfPi},
      {"arccot -1", arccot, -1, 3 * Constant::Pi / 4},
      {"arccot 1", arccot, 1, Constant::Pi / 4},
      {"arccot -inf", arccot, -kInfinity, Constant::Pi},
      {"arccot NaN", arccot, kNaN, kNaN},
      {"csc 0", csc, 0, kInfinity},
      {"arcsec 0.5", arcsec, 0.5, kNaN},
      {"arcsec -1", arcsec, -1, Constant::Pi},
      {"arccoth 1", arccoth, 1, kInfinity},
      {"arcsech -0.5", arcsech, -0.5, kNaN},
      // The logarithm formulas give -inf, +inf or 0 for these.
      {"arcsinh of a large negative", arcsinh, -1e10, -23.718998110500402},
      {"arccosh beyond 1e154", arccosh, 1e200, 461.2101657793691},
      {"arctanh keeps small values", arctanh, 1e-17, 1e-17},
      {"arccsch of a small negative", arccsch, -1e-10, -23.718998110500402},
      {"arcsech of a tiny value", arcsech, 1e-200, 461.2101657793691},
      {"arccoth of a large value", arccoth, 1e17, 1e-17},
  };
  for (const Row& row : rows) EXPECT_TRUE(matches(row.f(row.x), row.expected, 1e-14)) << row.name;
  // Near their poles sec and csc are huge or infinite, never undefined.
  EXPECT_GT(std::fabs(sec(Constant::HalfPi)), 1e15);
  EXPECT_GT(std::fabs(csc(Constant::Pi)), 1e15);
}

TEST(ReciprocalFunctions, InversesUndoTheirFunctions) {
  struct Row {
    const char* name;
    double (*f)(double);
    double (*inverse)(double);
    double low;
    double high;
  };
  const Row rows[] = {
      {"arccot(cot)", cot, arccot, 0.05, 3.1},    {"arcsec(sec)", sec, arcsec, 0.05, 3.1},
      {"arccsc(csc)", csc, arccsc, -1.5, 1.5},    {"arccoth(coth)", coth, arccoth, -8, 8},
      {"arcsech(sech)", sech, arcsech, 0.05, 15}, {"arccsch(csch)", csch, arccsch, -15, 15},
  };
  std::mt19937_64 random(3);
  for (const Row& row : rows) {
    std::uniform_real_distribution<double> range(row.low, row.high);
    for (int i = 0; i < 500; ++i) {
      const double x = range(random);
      if (std::fabs(x) < 0.05 || std::fabs(x - Constant::HalfPi) < 0.05) continue;
      ASSERT_TRUE(matches(row.inverse(row.f(x)), x, 1e-6)) << row.name << " at " << x;
    }
  }
}

TEST(Power, NegativeBaseNeedsAnIntegerExponent) {
  EXPECT_TRUE(std::isnan(power(-8, 1.0 / 3)));
  EXPECT_TRUE(std::isnan(power(-kInfinity, 0.5))); // the runtime says +inf
  EXPECT_EQ(power(-8, 3), -512);
  EXPECT_EQ(power(-0.0, 0.5), 0);
}

TEST(AngleOf, LiesInZeroToTwoPi) {
  EXPECT_EQ(angleOf(0, 1), 0);
  EXPECT_EQ(angleOf(-0.0, -1), Constant::Pi);
  EXPECT_TRUE(matches(angleOf(-1, 1), 7 * Constant::Pi / 4, 1e-15));
}

TEST(IsEvenInteger, Table) {
  struct Row {
    double x;
    bool even;
  };
  const Row rows[] = {{0, true},
                      {-4, true},
                      {3, false},
                      {-3, false},
                      {2.5, false},
                      {Constant::TwoTo53 - 1, false},
                      {Constant::TwoTo52 + 1, false},
                      {Constant::TwoTo52, true},
                      {Constant::TwoTo53, true},
                      {kInfinity, true},
                      {kNaN, false}};
  for (const Row& row : rows) EXPECT_EQ(isEvenInteger(row.x), row.even) << row.x;
}

} // namespace
} // namespace vexmar
