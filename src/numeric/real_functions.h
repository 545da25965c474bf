#pragma once

namespace vexmar {

/// Process-wide numeric constants.
namespace Constant {
inline constexpr double Pi = 3.141592653589793;
inline constexpr double InversePi = 0.3183098861837907;
inline constexpr double HalfPi = 1.5707963267948966;
inline constexpr double ThreeHalvesPi = 4.71238898038469;
inline constexpr double TwoPi = 6.283185307179586;
inline constexpr double E = 2.718281828459045;
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
/// x! = Gamma(x + 1): exact products below 30, Lanczos otherwise, reflection below 0.
[[nodiscard]] double factorial(double x);
/// The runtime power: a negative base with a non-integral exponent gives NaN.
[[nodiscard]] double power(double x, double y);
/// Angle of the point (x, y) in [0, 2pi): atan2 with 2pi added to negative angles.
[[nodiscard]] double angleOf(double y, double x);
/// True when |x| is an even integer (or too large to be odd: |x| >= 2^53).
[[nodiscard]] bool isEvenInteger(double x);

} // namespace vexmar
