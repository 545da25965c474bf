#pragma once

#include "numeric/real_functions.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace vexmar {

/// A closed range of values [lower, upper]; (NaN, NaN) means undefined everywhere.
struct IntervalValue {
  double lower;
  double upper;
};

[[nodiscard]] IntervalValue undefinedInterval();
[[nodiscard]] IntervalValue wholeLine();
/// True when either bound is NaN. Inline: the interval machine asks after every instruction.
[[nodiscard]] inline bool isUndefined(const IntervalValue& v) {
  return std::isnan(v.lower) || std::isnan(v.upper);
}

/// The least interval of doubles holding a real number just above the positive double `below`.
[[nodiscard]] constexpr IntervalValue justAbove(double below) {
  return {below, std::bit_cast<double>(std::bit_cast<std::uint64_t>(below) + 1)};
}

/// The real constants the compiler knows lie between these doubles (each double of Constant is
/// the nearest below its real number).
namespace ConstantEnclosure {
inline constexpr IntervalValue Pi = justAbove(Constant::Pi);
inline constexpr IntervalValue E = justAbove(Constant::E);
inline constexpr IntervalValue Degree = justAbove(Constant::Degree);
} // namespace ConstantEnclosure

// Each function returns an interval enclosing every real value of the operation over its
// arguments, (NaN, NaN) when the arguments lie outside the domain (or hold a NaN bound), and may
// return the whole line where a pole lies inside. Bounds are rounded outward, and library results
// widened by their error bounds, so they hold the true values. An argument partly outside the
// domain gives the enclosure of the part inside it. At a pole itself the value is the real
// function's (none), not IEEE's signed infinity: 1/x over [-1, 0] is (-inf, -1). Values known
// exactly (sin 0, exp 0, integer powers of exact numbers, ...) stay exact.
[[nodiscard]] IntervalValue intervalAdd(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalNegate(IntervalValue a);
[[nodiscard]] IntervalValue intervalMultiply(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalReciprocal(IntervalValue a);
/// a / b: the reciprocal of b times a when b reaches zero, otherwise the quotients of the bounds.
[[nodiscard]] IntervalValue intervalDivide(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalPower(IntervalValue base, IntervalValue exponent);
/// base^(p/q) for an exact exponent, as rationalPower defines it: odd and even functions of the
/// base for odd q, and no values below zero for even q.
[[nodiscard]] IntervalValue intervalRationalPower(IntervalValue base, double p, int q);
[[nodiscard]] IntervalValue intervalAbs(IntervalValue a);
/// 1 above 0, -1 below 0, the value itself at 0.
[[nodiscard]] IntervalValue intervalSign(IntervalValue a);
[[nodiscard]] IntervalValue intervalSqrt(IntervalValue a);
[[nodiscard]] IntervalValue intervalExp(IntervalValue a);
[[nodiscard]] IntervalValue intervalLn(IntervalValue a);
[[nodiscard]] IntervalValue intervalLog10(IntervalValue a);
/// Sine and cosine share one routine: sine is the cosine of the argument plus 3pi/2.
[[nodiscard]] IntervalValue intervalSinCos(IntervalValue a, bool sine);
[[nodiscard]] IntervalValue intervalTan(IntervalValue a);
[[nodiscard]] IntervalValue intervalCot(IntervalValue a);
[[nodiscard]] IntervalValue intervalSec(IntervalValue a);
[[nodiscard]] IntervalValue intervalCsc(IntervalValue a);
[[nodiscard]] IntervalValue intervalArcsin(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccos(IntervalValue a);
[[nodiscard]] IntervalValue intervalArctan(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccot(IntervalValue a);
[[nodiscard]] IntervalValue intervalArcsec(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccsc(IntervalValue a);
[[nodiscard]] IntervalValue intervalSinh(IntervalValue a);
[[nodiscard]] IntervalValue intervalCosh(IntervalValue a);
[[nodiscard]] IntervalValue intervalTanh(IntervalValue a);
[[nodiscard]] IntervalValue intervalCoth(IntervalValue a);
[[nodiscard]] IntervalValue intervalSech(IntervalValue a);
[[nodiscard]] IntervalValue intervalCsch(IntervalValue a);
[[nodiscard]] IntervalValue intervalArcsinh(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccosh(IntervalValue a);
[[nodiscard]] IntervalValue intervalArctanh(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccoth(IntervalValue a);
[[nodiscard]] IntervalValue intervalArcsech(IntervalValue a);
[[nodiscard]] IntervalValue intervalArccsch(IntervalValue a);
[[nodiscard]] IntervalValue intervalFactorial(IntervalValue a);
/// Comparisons and logic give (0, 0), (1, 1) or (0, 1) when both are possible.
[[nodiscard]] IntervalValue intervalLess(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalGreater(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalEqual(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalAnd(IntervalValue a, IntervalValue b);
[[nodiscard]] IntervalValue intervalOr(IntervalValue a, IntervalValue b);
/// atan2-style angle of the point (x, y) in [0, 2pi), and hypot.
[[nodiscard]] IntervalValue intervalAngle(IntervalValue y, IntervalValue x);
[[nodiscard]] IntervalValue intervalHypot(IntervalValue a, IntervalValue b);

} // namespace vexmar
