#include "numeric/real_functions.h"

#include <cmath>
#include <limits>

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The parts of pi/2 and pi below their doubles, and ln 2.
constexpr double kHalfPiLow = 6.123233995736766e-17;
constexpr double kPiLow = 1.2246467991473532e-16;
constexpr double kLn2 = 0.6931471805599453;
// Gamma(1 + x) = 1 - gamma x + (gamma^2/2 + pi^2/12) x^2 - ...: below kSmallFactorial the next
// term is under 2^-60.
constexpr double kGammaSlope = -0.5772156649015329;
constexpr double kGammaCurvature = 0.9890559953279725;
constexpr double kSmallFactorial = 0x1p-20;

// Below this the exact product is used; it is exact in a double up to 22!.
constexpr double kProductLimit = 30;
// Beyond this |x|, e^-2|x| is below an ulp of 1: cosh x and |sinh x| are e^|x| / 2.
constexpr double kHyperbolicTail = 20;
// Below this |x|, 1/x would overflow.
constexpr double kReciprocalOverflow = 0x1p-1000;

bool isIntegral(double x) { return std::trunc(x) == x; }

// x^(p/q) for x >= 0, within about an ulp. The runtime's power of the rounded exponent e is off
// by the factor x^(p/q - e), which near the ends of the double range is a hundred ulps and more;
// 1 + (p/q - e) ln x puts it right. The cube root takes the runtime's, up to 3 ulps off, and one
// Newton step.
double powerOfMagnitude(double x, double p, int q) {
  if (q == 2 && p == 1) return std::sqrt(x);
  if (q == 3 && p == 1) {
    const double y = std::cbrt(x);
    if (!(y > 0) || std::isinf(y)) return y;
    return y - (y - x / (y * y)) / 3;
  }
  const double e = p / q;
  const double y = std::pow(x, e);
  // p - e q exactly: a multiple of e's last place, at most q/2 of them.
  const double rest = std::fma(-e, q, p);
  if (rest == 0 || !(y > 0) || std::isinf(y)) return y;
  return std::fma(y, rest / q * std::log(x), y);
}

} // namespace

double cot(double x) { return 1 / std::tan(x); }
double sec(double x) { return 1 / std::cos(x); }
double csc(double x) { return 1 / std::sin(x); }
double coth(double x) { return 1 / std::tanh(x); }

// 1/cosh x overflows to 0 where 2 e^-|x| is still a double.
double sech(double x) {
  const double m = std::fabs(x);
  return m > kHyperbolicTail ? 2 * std::exp(-m) : 1 / std::cosh(x);
}

double csch(double x) {
  const double m = std::fabs(x);
  return m > kHyperbolicTail ? std::copysign(2 * std::exp(-m), x) : 1 / std::sinh(x);
}

// Near |x| = 1, acos(1/x) and asin(1/x) lose digits (their slopes are infinite at 1): there the
// angle comes from its tangent, sqrt(x^2 - 1), with x^2 - 1 formed as (|x| - 1)(|x| + 1).
double arcsec(double x) {
  const double m = std::fabs(x);
  if (m >= 2) return std::acos(1 / x);
  if (!(m >= 1)) return kNaN;
  const double angle = std::atan(std::sqrt((m - 1) * (m + 1)));
  return x > 0 ? angle : (Constant::Pi - angle) + kPiLow;
}

double arccsc(double x) {
  const double m = std::fabs(x);
  if (m >= 2) return std::asin(1 / x);
  if (!(m >= 1)) return kNaN;
  return std::copysign(std::atan(1 / std::sqrt((m - 1) * (m + 1))), x);
}

// Below zero, pi/2 - atan x: adding pi to atan(1/x) there loses a bit to cancellation.
double arccot(double x) {
  if (x > 0) return std::atan(1 / x);
  if (x <= 0) return (Constant::HalfPi - std::atan(x)) + kHalfPiLow;
  return kNaN;
}

// The library's inverse hyperbolic functions rather than the logarithm formulas: ln(x + sqrt(x^2 + 1))
// cancels to ln(0) = -inf for large negative x and overflows for |x| above 1e154.
double arcsinh(double x) { return std::asinh(x); }
double arccosh(double x) { return std::acosh(x); }
double arctanh(double x) { return std::atanh(x); }

// atanh(1/x), as ln(1 + 2/(|x| - 1)) / 2: 1/x would round away the digits that count near |x| = 1.
double arccoth(double x) { return std::copysign(0.5 * std::log1p(2 / (std::fabs(x) - 1)), x); }

// acosh(1/x) = ln((1 + sqrt(1 - x^2))/x), written so that nothing cancels near x = 1.
double arcsech(double x) {
  if (x == 0) return std::acosh(1 / x); // +inf, or NaN for -0 as before
  if (!(x > 0 && x <= 1)) return kNaN;
  if (x < 0x1p-26) return kLn2 - std::log(x); // ln(2/x), the x^2/4 beyond it below an ulp
  const double root = std::sqrt((1 - x) * (1 + x));
  return std::log1p((1 - x + root) / x);
}

double arccsch(double x) {
  const double m = std::fabs(x);
  if (m < kReciprocalOverflow && m > 0) return std::copysign(kLn2 - std::log(m), x); // asinh(y) = ln 2y
  return std::asinh(1 / x);
}

double factorial(double x) {
  if (x == 0) return 1;
  if (x > 0 && x < kProductLimit && isIntegral(x)) {
    double product = 1;
    for (double k = 2; k <= x; ++k) product *= k;
    return product;
  }
  if (x < 0 && isIntegral(x)) return kNaN; // the poles
  if (std::fabs(x) < kSmallFactorial) return 1 + x * (kGammaSlope + kGammaCurvature * x);
  // x! = Gamma(x + 1) = x Gamma(x). Where x + 1 would round, the rounding would cost as many
  // ulps as Gamma's slope there, so the second form is taken.
  const double shifted = x + 1;
  if (shifted - 1 == x) return std::tgamma(shifted);
  return x * std::tgamma(x);
}

double power(double x, double y) {
  // The runtime gives (-inf)^0.5 = +inf; a negative base with a fractional exponent has no value.
  if (x < 0 && std::isfinite(y) && !isIntegral(y)) return kNaN;
  return std::pow(x, y);
}

double rationalPower(double x, double p, int q) {
  const double magnitude = powerOfMagnitude(std::fabs(x), p, q);
  if (!std::signbit(x)) return magnitude;
  if (q % 2 == 0) return x == 0 ? magnitude : kNaN;
  return isEvenInteger(p) ? magnitude : -magnitude;
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
