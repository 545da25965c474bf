#pragma once

// The interval routines as the interval machine runs them: in upward rounding (see
// upward_rounding.h), on ordered intervals without NaN bounds. Each returns an ordered enclosure,
// or (NaN, NaN) where the argument lies wholly outside the domain. The public routines of
// interval.h set up the rounding and check their arguments, then call these.
//
// The arithmetic is here, inline, for the machine's inner loop; the rest is in interval.cpp.

#include "numeric/detail/upward_rounding.h"
#include "numeric/interval.h"
#include "numeric/numeric_state.h"

#include <algorithm>
#include <limits>

namespace vexmar::upward {

using detail::downProduct;
using detail::downQuotient;
using detail::downSqrt;
using detail::downSum;

inline constexpr double kInfinity = std::numeric_limits<double>::infinity();
inline constexpr double kUndefined = std::numeric_limits<double>::quiet_NaN();

/// Integer exponents up to this size are multiplied out with directed rounding, so that the
/// powers of exact values stay exact.
inline constexpr int kMultipliedExponentLimit = 64;

inline IntervalValue undefined() { return {kUndefined, kUndefined}; }

/// The argument was partly outside the domain: the result encloses the defined part only.
inline void notePartlyUndefined() { numericState().partlyUndefined = true; }

inline IntervalValue intervalAdd(IntervalValue a, IntervalValue b) {
  double lower = downSum(a.lower, b.lower);
  double upper = a.upper + b.upper;
  // Infinities of opposite signs meeting: any value is possible.
  if (lower != lower) lower = -kInfinity;
  if (upper != upper) upper = kInfinity;
  return {lower, upper};
}

inline IntervalValue intervalNegate(IntervalValue a) { return {-a.upper, -a.lower}; }

// Zero times infinity counts as zero: it bounds the products of finite numbers near those ends.
inline double zeroForNaN(double v) { return v == v ? v : 0.0; }

/// The signs of the bounds say which corners hold the extremes: two products, not four, except
/// when both intervals straddle zero.
inline IntervalValue intervalMultiply(IntervalValue a, IntervalValue b) {
  double lower, upper;
  if (a.lower >= 0) {
    if (b.lower >= 0) {
      lower = downProduct(a.lower, b.lower);
      upper = a.upper * b.upper;
    } else if (b.upper <= 0) {
      lower = downProduct(a.upper, b.lower);
      upper = a.lower * b.upper;
    } else {
      lower = downProduct(a.upper, b.lower);
      upper = a.upper * b.upper;
    }
  } else if (a.upper <= 0) {
    if (b.lower >= 0) {
      lower = downProduct(a.lower, b.upper);
      upper = a.upper * b.lower;
    } else if (b.upper <= 0) {
      lower = downProduct(a.upper, b.upper);
      upper = a.lower * b.lower;
    } else {
      lower = downProduct(a.lower, b.upper);
      upper = a.lower * b.lower;
    }
  } else if (b.lower >= 0) {
    lower = downProduct(a.lower, b.upper);
    upper = a.upper * b.upper;
  } else if (b.upper <= 0) {
    lower = downProduct(a.upper, b.lower);
    upper = a.lower * b.lower;
  } else {
    lower = std::min(downProduct(a.lower, b.upper), downProduct(a.upper, b.lower));
    upper = std::max(a.lower * b.lower, a.upper * b.upper);
  }
  return {zeroForNaN(lower), zeroForNaN(upper)};
}

/// The machine's rule: 1/0 is +inf, and a pole at one end gives the infinity of the other side's
/// values (1/x over [-1, 0] is (-inf, -1)).
inline IntervalValue intervalReciprocal(IntervalValue a) {
  if (a.lower == 0 && a.upper == 0) return {kInfinity, kInfinity};
  if (a.lower == 0) return {downQuotient(1.0, a.upper), kInfinity};
  if (a.upper == 0) return {-kInfinity, 1.0 / a.lower};
  if (a.lower < 0 && a.upper > 0) return {-kInfinity, kInfinity};
  return {downQuotient(1.0, a.upper), 1.0 / a.lower};
}

inline IntervalValue intervalDivide(IntervalValue a, IntervalValue b) {
  // A divisor reaching zero follows the reciprocal rule.
  if (b.lower <= 0 && b.upper >= 0) return upward::intervalMultiply(a, upward::intervalReciprocal(b));
  double lower, upper;
  if (b.lower > 0) {
    if (a.lower >= 0) {
      lower = downQuotient(a.lower, b.upper);
      upper = a.upper / b.lower;
    } else if (a.upper <= 0) {
      lower = downQuotient(a.lower, b.lower);
      upper = a.upper / b.upper;
    } else {
      lower = downQuotient(a.lower, b.lower);
      upper = a.upper / b.lower;
    }
  } else if (a.lower >= 0) {
    lower = downQuotient(a.upper, b.upper);
    upper = a.lower / b.lower;
  } else if (a.upper <= 0) {
    lower = downQuotient(a.upper, b.lower);
    upper = a.lower / b.upper;
  } else {
    lower = downQuotient(a.upper, b.upper);
    upper = a.lower / b.upper;
  }
  // Infinity over infinity: the quotients near that corner are not NaN; the reciprocal rule decides.
  if (lower != lower || upper != upper) return upward::intervalMultiply(a, upward::intervalReciprocal(b));
  return {lower, upper};
}

/// p^k rounded up and rounded down, for p >= 0 and k >= 1, by squaring and multiplying.
inline double upPower(double p, int k) {
  double result = 1, square = p;
  for (;;) {
    if (k & 1) result *= square;
    k >>= 1;
    if (k == 0) return result;
    square *= square;
  }
}

inline double downPower(double p, int k) {
  double result = 1, square = p;
  for (;;) {
    if (k & 1) result = downProduct(result, square);
    k >>= 1;
    if (k == 0) return result;
    square = downProduct(square, square);
  }
}

/// x^k for an integer k with |k| <= kMultipliedExponentLimit.
inline IntervalValue integerPower(IntervalValue a, int k) {
  if (k == 0) return {1, 1};
  if (k == 1) return a;
  const int n = k < 0 ? -k : k;
  const bool odd = (n & 1) != 0;
  // |x|^n over the interval: least and greatest magnitude.
  double nearest, farthest;
  if (a.lower >= 0) {
    nearest = a.lower;
    farthest = a.upper;
  } else if (a.upper <= 0) {
    nearest = -a.upper;
    farthest = -a.lower;
  } else {
    nearest = 0;
    farthest = std::max(-a.lower, a.upper);
  }
  if (k > 0) {
    if (odd) {
      // Rising everywhere: the ends give the bounds, sign and all.
      const double lower = a.lower >= 0 ? downPower(a.lower, n) : -upPower(-a.lower, n);
      const double upper = a.upper >= 0 ? upPower(a.upper, n) : -downPower(-a.upper, n);
      return {lower, upper};
    }
    return {nearest == 0 ? 0.0 : downPower(nearest, n), upPower(farthest, n)};
  }
  // Negative exponents: 1 / |x|^n, with a pole at 0.
  const bool straddles = a.lower < 0 && a.upper > 0;
  if (odd && straddles) return {-kInfinity, kInfinity};
  const double smallest = farthest == 0 ? kInfinity : downQuotient(1.0, upPower(farthest, n));
  const double largest = nearest == 0 ? kInfinity : 1.0 / downPower(nearest, n);
  if (!odd || a.lower >= 0) return {smallest, largest};
  return {-largest, -smallest}; // below zero, an odd power is negative
}

inline IntervalValue intervalSquare(IntervalValue a) {
  if (a.lower >= 0) return {downProduct(a.lower, a.lower), a.upper * a.upper};
  if (a.upper <= 0) return {downProduct(a.upper, a.upper), a.lower * a.lower};
  return {0, std::max(a.lower * a.lower, a.upper * a.upper)};
}

/// base^exponent for any exponent interval (interval.cpp).
IntervalValue realPower(IntervalValue base, IntervalValue exponent);

/// Integer exponents, the commonest by far, are multiplied out here.
inline IntervalValue intervalPower(IntervalValue base, IntervalValue exponent) {
  if (exponent.lower == exponent.upper && std::fabs(exponent.lower) <= kMultipliedExponentLimit) {
    const int k = static_cast<int>(exponent.lower);
    if (k == exponent.lower) return k == 2 ? intervalSquare(base) : integerPower(base, k);
  }
  return realPower(base, exponent);
}

/// The square root of the part of the interval at or above zero.
inline IntervalValue intervalSqrt(IntervalValue a) {
  if (a.upper < 0) return undefined();
  if (a.lower < 0) notePartlyUndefined();
  return {a.lower > 0 ? downSqrt(a.lower) : 0.0, std::sqrt(a.upper)};
}

inline IntervalValue intervalAbs(IntervalValue a) {
  if (a.lower >= 0) return a;
  if (a.upper <= 0) return {-a.upper, -a.lower};
  return {0, std::max(-a.lower, a.upper)};
}

/// 1 above 0, -1 below 0, the value itself at 0.
inline IntervalValue intervalSign(IntervalValue a) {
  return {a.lower < 0 ? -1.0 : a.lower == 0 ? 0.0 : 1.0, a.upper > 0 ? 1.0 : a.upper == 0 ? 0.0 : -1.0};
}

// The rest, in interval.cpp.
IntervalValue intervalRationalPower(IntervalValue base, double p, int q);
IntervalValue intervalExp(IntervalValue a);
IntervalValue intervalLn(IntervalValue a);
IntervalValue intervalLog10(IntervalValue a);
IntervalValue intervalSin(IntervalValue a);
IntervalValue intervalCos(IntervalValue a);
IntervalValue intervalTan(IntervalValue a);
IntervalValue intervalCot(IntervalValue a);
IntervalValue intervalSec(IntervalValue a);
IntervalValue intervalCsc(IntervalValue a);
IntervalValue intervalArcsin(IntervalValue a);
IntervalValue intervalArccos(IntervalValue a);
IntervalValue intervalArctan(IntervalValue a);
IntervalValue intervalArccot(IntervalValue a);
IntervalValue intervalArcsec(IntervalValue a);
IntervalValue intervalArccsc(IntervalValue a);
IntervalValue intervalSinh(IntervalValue a);
IntervalValue intervalCosh(IntervalValue a);
IntervalValue intervalTanh(IntervalValue a);
IntervalValue intervalCoth(IntervalValue a);
IntervalValue intervalSech(IntervalValue a);
IntervalValue intervalCsch(IntervalValue a);
IntervalValue intervalArcsinh(IntervalValue a);
IntervalValue intervalArccosh(IntervalValue a);
IntervalValue intervalArctanh(IntervalValue a);
IntervalValue intervalArccoth(IntervalValue a);
IntervalValue intervalArcsech(IntervalValue a);
IntervalValue intervalArccsch(IntervalValue a);
IntervalValue intervalFactorial(IntervalValue a);
IntervalValue intervalLess(IntervalValue a, IntervalValue b);
IntervalValue intervalGreater(IntervalValue a, IntervalValue b);
IntervalValue intervalEqual(IntervalValue a, IntervalValue b);
IntervalValue intervalAnd(IntervalValue a, IntervalValue b);
IntervalValue intervalOr(IntervalValue a, IntervalValue b);
IntervalValue intervalAngle(IntervalValue y, IntervalValue x);
IntervalValue intervalHypot(IntervalValue a, IntervalValue b);

} // namespace vexmar::upward
