#include "numeric/real_functions.h"

#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

constexpr double kLanczosLeading = 1.000000000190015;
constexpr double kLanczosCoefficients[] = {76.18009172947146,  -86.50532032941677,   24.01409824083091,
                                           -1.231739572450155, 0.001208650973866179, -0.000005395239384953};
constexpr double kSqrtTwoPi = 2.5066282746310007;

// Below this the exact product is used; it is exact in a double up to 22!.
constexpr double kProductLimit = 30;
// Gamma(z + 1) exceeds the largest double from here on.
constexpr double kGammaOverflow = 172;

bool isIntegral(double x) { return std::trunc(x) == x; }

// Gamma(z + 1) for z >= 0 by the Lanczos series.
double lanczosGamma(double z) {
  if (z >= kGammaOverflow) return kInfinity;
  double series = kLanczosLeading;
  for (int k = 0; k < 6; ++k) series += kLanczosCoefficients[k] / (z + k + 1);
  const double t = z + 5.5;
  // t^(z + 0.5) overflows long before the product does, so it is taken in two halves around e^-t.
  const double halfPower = std::pow(t, (z + 0.5) / 2);
  return kSqrtTwoPi * series * (halfPower * std::exp(-t)) * halfPower;
}

} // namespace

double cot(double x) { return 1 / std::tan(x); }
double sec(double x) { return 1 / std::cos(x); }
double csc(double x) { return 1 / std::sin(x); }
double coth(double x) { return 1 / std::tanh(x); }
double sech(double x) { return 1 / std::cosh(x); }
double csch(double x) { return 1 / std::sinh(x); }
double arcsec(double x) { return std::acos(1 / x); }
double arccsc(double x) { return std::asin(1 / x); }

double arccot(double x) {
  if (x > 0) return std::atan(1 / x);
  if (x < 0) return std::atan(1 / x) + Constant::Pi;
  if (x == 0) return Constant::HalfPi;
  return kNaN;
}

// The library's inverse hyperbolic functions rather than the logarithm formulas: ln(x + sqrt(x^2 + 1))
// cancels to ln(0) = -inf for large negative x and overflows for |x| above 1e154.
double arcsinh(double x) { return std::asinh(x); }
double arccosh(double x) { return std::acosh(x); }
double arctanh(double x) { return std::atanh(x); }
double arccoth(double x) { return std::atanh(1 / x); }
double arcsech(double x) { return std::acosh(1 / x); }
double arccsch(double x) { return std::asinh(1 / x); }

double factorial(double x) {
  if (x == 0) return 1;
  if (x > 0 && x < kProductLimit && isIntegral(x)) {
    double product = 1;
    for (double k = 2; k <= x; ++k) product *= k;
    return product;
  }
  if (x < 0 && isIntegral(x)) return kNaN;
  if (x > 0 || std::isnan(x)) return lanczosGamma(x);
  // Reflection: Gamma(1 + x) Gamma(1 - x) = pi x / sin(pi x).
  const double piX = Constant::Pi * x;
  return piX / (std::sin(piX) * lanczosGamma(-x));
}

double power(double x, double y) {
  // The runtime gives (-inf)^0.5 = +inf; a negative base with a fractional exponent has no value.
  if (x < 0 && std::isfinite(y) && !isIntegral(y)) return kNaN;
  return std::pow(x, y);
}

double angleOf(double y, double x) {
  const double angle = std::atan2(y, x);
  return angle < 0 ? angle + Constant::TwoPi : angle;
}

bool isEvenInteger(double x) {
  const double magnitude = std::fabs(x);
  if (magnitude >= Constant::TwoTo53) return true;
  // At 2^53 the doubles are 2 apart, so only an even integer survives the round trip.
  return (Constant::TwoTo53 + magnitude) - Constant::TwoTo53 == magnitude;
}

} // namespace vexmar
