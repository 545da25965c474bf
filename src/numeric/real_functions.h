#pragma once

#include <cmath>

namespace vexmar {

/// Process-wide numeric constants.
namespace Constant {
inline constexpr double Pi = 3.141592653589793;
inline constexpr double InversePi = 0.3183098861837907;
inline constexpr double HalfPi = 1.5707963267948966;
inline constexpr double ThreeHalvesPi = 4.71238898038469;
inline constexpr double TwoPi = 6.283185307179586;
inline constexpr double E = 2.718281828459045;
/// pi/180, the degree sign's value.
inline constexpr double Degree = 0.017453292519943295;
inline constexpr double TwoTo52 = 4503599627370496.0;
inline constexpr double TwoTo53 = 9007199254740992.0;
} // namespace Constant

// Point functions: undefined results are NaN, never errors.
[[nodiscard]] double cot(double x);
[[nodiscard]] double sec(double x);
[[nodiscard]] double csc(double x);
[[nodiscard]] double coth(double x);
[[nodiscard]] double sech(double x);
[[nodiscard]] double csch(double x);
[[nodiscard]] double arcsec(double x);
[[nodiscard]] double arccsc(double x);
/// Range (0, pi): arccot(0) = pi/2.
[[nodiscard]] double arccot(double x);
[[nodiscard]] double arccoth(double x);
[[nodiscard]] double arcsech(double x);
[[nodiscard]] double arccsch(double x);
[[nodiscard]] double arcsinh(double x);
[[nodiscard]] double arccosh(double x);
[[nodiscard]] double arctanh(double x);
/// x! = Gamma(x + 1): exact products below 30, the C library's gamma function otherwise.
[[nodiscard]] double factorial(double x);
/// The runtime power: a negative base with a non-integral exponent gives NaN.
[[nodiscard]] double power(double x, double y);
/// x^(p/q) for integers p and q > 0 without a common factor. A negative x has a real value when q
/// is odd: the power is an odd function of x for odd p and an even one for even p. Where q is
/// even a negative x has none (NaN).
[[nodiscard]] double rationalPower(double x, double p, int q);
/// Integer exponents from here to kGreatestMultipliedExponent are multiplied out, within 3.5 ulps
/// and far faster than the runtime power.
inline constexpr int kLeastMultipliedExponent = -4;
inline constexpr int kGreatestMultipliedExponent = 6;
/// x^k, multiplied out for small k and by the runtime power otherwise.
[[nodiscard]] inline double integerPower(double x, int k) {
  switch (k) {
  case 0:
    return 1;
  case 1:
    return x;
  case 2:
    return x * x;
  case 3:
    return x * x * x;
  case 4:
    return (x * x) * (x * x);
  case 5:
    return (x * x) * (x * x) * x;
  case 6: {
    const double cube = x * x * x;
    return cube * cube;
  }
  default:
    break;
  }
  if (k < 0 && k >= kLeastMultipliedExponent) {
    const double magnitude = integerPower(x, -k);
    // Where x^-k leaves the normal range its reciprocal is no longer within a few ulps.
    if (std::fabs(magnitude) < 0x1p1000 && std::fabs(magnitude) > 0x1p-1000) return 1 / magnitude;
  }
  return std::pow(x, k);
}
/// Angle of the point (x, y) in [0, 2pi): atan2 with 2pi added to negative angles.
[[nodiscard]] double angleOf(double y, double x);
/// True when |x| is an even integer (or too large to be odd: |x| >= 2^53).
[[nodiscard]] bool isEvenInteger(double x);

} // namespace vexmar
