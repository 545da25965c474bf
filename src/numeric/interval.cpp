#include "numeric/interval.h"

#include "numeric/detail/factorial_turns.h"
#include "numeric/detail/interval_kernels.h"
#include "numeric/detail/routine_error_bounds.h"
#include "numeric/real_functions.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>
#include <limits>

// The routines run in upward rounding (detail/upward_rounding.h): an upper bound is the plain
// operation, a lower bound the operation on negated operands. Library functions run in the
// caller's rounding, exactly as the point machine runs them, and their results are widened by the
// bounds of detail/routine_error_bounds.h. Values known exactly (sin 0, exp 0, acos 1, ...) are
// kept exact, so that a nonnegative result never gets a negative lower bound that would change
// what a following square root or logarithm sees.
//
// Poles follow the real functions, not IEEE's signed zeros: 1/x over [-1, 0] is (-inf, -1) even
// though 1/(+0) is +inf, as the reciprocal rule of the machine says.

namespace vexmar {
namespace upward {
namespace {

using detail::bothInCallerRounding;
using detail::Bounds;
using detail::errorUlps;
using detail::inCallerRounding;
using detail::Routine;
using detail::widened;

constexpr double kHalfPiAbove = justAbove(Constant::HalfPi).upper;
constexpr double kPiAbove = ConstantEnclosure::Pi.upper;
constexpr double kTwoPiAbove = justAbove(Constant::TwoPi).upper;

Bounds exactly(double v) { return {v, v}; }

/// f(x) as the point machine computes it, with room for the routine's error.
template <typename F> Bounds valueOf(Routine routine, F f, double x) {
  return widened(inCallerRounding(f, x), errorUlps(routine));
}

// The values a routine is known to give exactly (sin 0 = 0), which keep no room for error:
// exact(x, f(x), value) says whether f(x) is exactly `value`.
bool noneExact(double, double, double&) { return false; }
bool zeroAtZero(double x, double, double& value) {
  value = x;
  return x == 0;
}

/// A routine's values at two arguments, with one change of rounding for both.
template <typename F, typename Exact>
void valuesAt(Routine routine, F f, Exact exact, double p, double q, Bounds& atP, Bounds& atQ) {
  double fp = p, fq = q;
  if (p == q)
    fq = fp = inCallerRounding(f, p);
  else
    bothInCallerRounding(f, fp, fq);
  const int ulps = errorUlps(routine);
  double known;
  atP = exact(p, fp, known) ? exactly(known) : widened(fp, ulps);
  atQ = exact(q, fq, known) ? exactly(known) : widened(fq, ulps);
}

// A function rising (or falling) over the part of `a` within [low, high].
template <typename F, typename Exact>
IntervalValue monotonicWithin(IntervalValue a, double low, double high, bool increasing, Routine routine, F f,
                              Exact exact) {
  if (a.upper < low || a.lower > high) return undefined();
  if (a.lower < low || a.upper > high) notePartlyUndefined();
  Bounds atFrom, atTo;
  valuesAt(routine, f, exact, std::max(a.lower, low), std::min(a.upper, high), atFrom, atTo);
  return increasing ? IntervalValue{atFrom.low, atTo.high} : IntervalValue{atTo.low, atFrom.high};
}

template <typename F> Bounds valueOf(Routine routine, F f, double x, double y) {
  return widened(inCallerRounding(f, x, y), errorUlps(routine));
}

IntervalValue point(Bounds b) { return {b.low, b.high}; }
IntervalValue rising(Bounds atLow, Bounds atHigh) { return {atLow.low, atHigh.high}; }
IntervalValue falling(Bounds atLow, Bounds atHigh) { return {atHigh.low, atLow.high}; }

IntervalValue clampTo(IntervalValue v, double low, double high) {
  if (isUndefined(v)) return v;
  return {std::max(v.lower, low), std::min(v.upper, high)};
}

IntervalValue hull(IntervalValue a, IntervalValue b) {
  if (isUndefined(a)) return b;
  if (isUndefined(b)) return a;
  return {std::min(a.lower, b.lower), std::max(a.upper, b.upper)};
}

IntervalValue wholeLine() { return {-kInfinity, kInfinity}; }
IntervalValue truth(bool value) { return value ? IntervalValue{1, 1} : IntervalValue{0, 0}; }
IntervalValue eitherTruth() { return {0, 1}; }
bool surelyNonzero(IntervalValue v) { return v.lower > 0 || v.upper < 0; }
bool surelyZero(IntervalValue v) { return v.lower == 0 && v.upper == 0; }

// The first and last integers within [x/pi + shift] over the interval, allowing for the rounding
// of that quotient: counting one too many only loosens the result.
struct HalfPeriods {
  double first;
  double last;
};

HalfPeriods halfPeriodsIn(IntervalValue a, double shift) {
  const double tLow = a.lower * Constant::InversePi + shift;
  const double tHigh = a.upper * Constant::InversePi + shift;
  const double slack = 4 * DBL_EPSILON * (std::max(std::fabs(tLow), std::fabs(tHigh)) + 2);
  const double from = tLow - slack, to = tHigh + slack;
  // Rounding upward, adding 1.5 2^52 rounds to an integer: a ceiling in two additions.
  constexpr double kToInteger = 0x1.8p52;
  if (!(std::fabs(from) < 0x1p50 && std::fabs(to) < 0x1p50)) return {std::ceil(from), std::floor(to)};
  return {(from + kToInteger) - kToInteger, -((kToInteger - to) - kToInteger)};
}

// x^y for x >= 0, either zero counting as +0.
Bounds powerOf(double x, double y) {
  if (x == 0) x = 0.0;
  if (y == 0 || x == 1) return exactly(1.0);
  if (y == 1) return exactly(x);
  if (x == 0 || std::isinf(x) || std::isinf(y)) return exactly(std::pow(x, y)); // 0, 1 or inf
  if (y == 0.5) return {downSqrt(x), std::sqrt(x)};
  if (std::trunc(y) == y && std::fabs(y) <= kMultipliedExponentLimit) {
    const IntervalValue r = integerPower({x, x}, static_cast<int>(y));
    return {r.lower, r.upper};
  }
  Bounds r = valueOf(
      Routine::Power, [](double b, double e) { return std::pow(b, e); }, x, y);
  r.low = std::max(r.low, 0.0);
  return r;
}

IntervalValue powerOfNonnegativeBase(double low, double high, IntervalValue exponent) {
  // x^y is monotonic in each argument for x >= 0, so the extremes lie at the corners.
  const Bounds corners[] = {powerOf(low, exponent.lower), powerOf(low, exponent.upper),
                            powerOf(high, exponent.lower), powerOf(high, exponent.upper)};
  IntervalValue result{kInfinity, -kInfinity};
  for (const Bounds& c : corners) {
    result.lower = std::min(result.lower, c.low);
    result.upper = std::max(result.upper, c.high);
  }
  return result;
}

// A negative base has values only at the integer exponents in the interval.
IntervalValue powerOfNegativeBase(double low, double high, IntervalValue exponent) {
  const double firstInteger = std::ceil(exponent.lower);
  const double lastInteger = std::floor(exponent.upper);
  if (firstInteger > lastInteger) return undefined();
  const double nearMagnitude = -high;
  const double farMagnitude = -low;
  if (firstInteger == lastInteger && std::isfinite(firstInteger)) {
    const double k = firstInteger;
    const Bounds atNear = powerOf(nearMagnitude, k);
    const Bounds atFar = powerOf(farMagnitude, k);
    // |x|^k rises with |x| for k >= 0 and falls for k < 0; odd k makes the values negative.
    const IntervalValue magnitude = k >= 0 ? rising(atNear, atFar) : falling(atNear, atFar);
    if (isEvenInteger(k)) return magnitude;
    return {-magnitude.upper, -magnitude.lower};
  }
  // Odd and even exponents both occur: the values lie within +-(the greatest |x|^k), at a corner.
  const double greatest =
      std::max({powerOf(nearMagnitude, firstInteger).high, powerOf(nearMagnitude, lastInteger).high,
                powerOf(farMagnitude, firstInteger).high, powerOf(farMagnitude, lastInteger).high});
  return {-greatest, greatest};
}

// The exact powers of ten among the doubles, whose common logarithms are integers.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool lnExact(double x, double, double& value) {
  value = 0;
  return x == 1;
}

bool log10Exact(double x, double log, double& value) {
  value = std::round(log);
  return value >= 0 && value < static_cast<double>(std::size(kPowersOfTen)) &&
         kPowersOfTen[static_cast<int>(value)] == x;
}

// Logarithms over the part of the interval where they are defined, zero included (as -inf).
template <typename F, typename Exact>
IntervalValue logarithm(IntervalValue a, Routine routine, F log, Exact exact) {
  if (a.upper < 0) return undefined();
  if (a.lower < 0) notePartlyUndefined();
  Bounds atLow, atHigh;
  valuesAt(routine, log, exact, std::max(a.lower, 0.0), a.upper, atLow, atHigh);
  return {a.lower <= 0 ? -kInfinity : atLow.low, atHigh.high};
}

// Narrow intervals take one library call, at the middle m, instead of one at each end: with
// |t| <= h, f(m + t) is bounded by Taylor's formula about m. For this half-width the bounds are
// looser than the ends' values by a part in 10^4 of the range at worst.
constexpr double kNarrowHalfWidth = 0x1p-7;

struct Middle {
  double at;
  double halfWidth; // at least the distance from `at` to either end
};

Middle middleOf(IntervalValue a) {
  const double at = std::clamp(a.lower + (a.upper - a.lower) * 0.5, a.lower, a.upper);
  return {at, std::max(at - a.lower, a.upper - at)};
}

// sin(m + t) = sin m cos t + cos m sin t, with 1 - t^2/2 <= cos t <= 1 and |sin t| <= |t|;
// cos(m + t) = cos m cos t - sin m sin t likewise.
IntervalValue narrowSinCos(Middle m, bool sine) {
  double s = m.at, c = 0;
  {
    using detail::switchRounding;
    const detail::RoundingControl upward = detail::upwardOf(detail::callerRounding);
    switchRounding(detail::callerRounding, s);
    ::sincos(m.at, &s, &c);
    detail::pin(c);
    switchRounding(upward, s);
  }
  const Bounds sinM = widened(s, errorUlps(Routine::Sin));
  const Bounds cosM = widened(c, errorUlps(Routine::Cos));
  const IntervalValue cosT{downSum(1.0, -(m.halfWidth * m.halfWidth * 0.5)), 1.0};
  const Bounds& along = sine ? sinM : cosM;  // multiplied by cos t
  const Bounds& across = sine ? cosM : sinM; // by sin t, whose sign does not matter here
  const double swing = std::max(-across.low, across.high) * m.halfWidth;
  const IntervalValue result =
      upward::intervalAdd(upward::intervalMultiply({along.low, along.high}, cosT), {-swing, swing});
  return clampTo(result, -1, 1);
}

IntervalValue sinCos(IntervalValue a, bool sine) {
  if (std::isinf(a.lower) || std::isinf(a.upper)) return {-1, 1};
  if (a.lower != a.upper) {
    const Middle m = middleOf(a);
    if (m.halfWidth <= kNarrowHalfWidth) return narrowSinCos(m, sine);
  }
  // In half-periods t = x/pi (+3/2 for sine, which is the cosine of x + 3pi/2) the extrema of
  // cos(pi t) lie at the integers: maxima at the even ones, minima at the odd ones.
  const HalfPeriods extrema = halfPeriodsIn(a, sine ? 1.5 : 0.0);
  if (extrema.last - extrema.first >= 1 && a.lower != a.upper) return {-1, 1};
  Bounds atLow, atHigh;
  if (sine)
    valuesAt(
        Routine::Sin, [](double v) { return std::sin(v); }, zeroAtZero, a.lower, a.upper, atLow, atHigh);
  else
    valuesAt(
        Routine::Cos, [](double v) { return std::cos(v); },
        [](double x, double, double& value) {
          value = 1;
          return x == 0;
        },
        a.lower, a.upper, atLow, atHigh);
  IntervalValue result = clampTo({std::min(atLow.low, atHigh.low), std::max(atLow.high, atHigh.high)}, -1, 1);
  if (a.lower == a.upper) return result;
  if (extrema.first == extrema.last) {
    if (isEvenInteger(extrema.first))
      result.upper = 1;
    else
      result.lower = -1;
  }
  return result;
}

// Tangent and cotangent: monotonic between poles, which lie where x/pi + shift is an integer.
template <typename F, typename Exact>
IntervalValue betweenPoles(IntervalValue a, double shift, bool increasing, Routine routine, F f,
                           Exact exact) {
  if (std::isinf(a.lower) || std::isinf(a.upper)) return a.lower == a.upper ? undefined() : wholeLine();
  if (a.lower != a.upper) {
    const HalfPeriods poles = halfPeriodsIn(a, shift);
    if (poles.first <= poles.last) return wholeLine();
  }
  return monotonicWithin(a, -kInfinity, kInfinity, increasing, routine, f, exact);
}

Bounds factorialAt(double x) { return valueOf(Routine::Factorial, factorial, x); }

} // namespace

IntervalValue realPower(IntervalValue base, IntervalValue exponent) {
  IntervalValue result = undefined();
  if (base.upper >= 0)
    result = hull(result, powerOfNonnegativeBase(std::max(base.lower, 0.0), base.upper, exponent));
  if (base.lower < 0) {
    result = hull(result, powerOfNegativeBase(base.lower, std::min(base.upper, 0.0), exponent));
    // Below zero only integer exponents have values.
    const bool integerExponent =
        exponent.lower == exponent.upper && std::trunc(exponent.lower) == exponent.lower;
    if (!integerExponent && !isUndefined(result)) notePartlyUndefined();
  }
  return result;
}

namespace {

// |x|^(p/q) over magnitudes from `near` to `far`: rising for p > 0, falling for p < 0, with the
// values at 0, 1 and infinity exact.
IntervalValue rationalPowerOfMagnitudes(double near, double far, double p, int q) {
  Bounds atNear, atFar;
  if (q == 2 && p == 1) { // the square root, rounded both ways
    atNear = {downSqrt(near), std::sqrt(near)};
    atFar = {downSqrt(far), std::sqrt(far)};
  } else {
    // 0 to a positive power and infinity to a negative one are 0; the other way round, infinite.
    const auto exact = [p](double m, double, double& value) {
      value = m == 1 ? 1 : (m == 0) == (p > 0) ? 0 : kInfinity;
      return m == 0 || m == 1 || std::isinf(m);
    };
    valuesAt(
        Routine::RationalPower, [p, q](double m) { return rationalPower(m, p, q); }, exact, near, far, atNear,
        atFar);
  }
  const IntervalValue magnitudes = p > 0 ? rising(atNear, atFar) : falling(atNear, atFar);
  return clampTo(magnitudes, 0, kInfinity);
}

} // namespace

IntervalValue intervalRationalPower(IntervalValue base, double p, int q) {
  const auto magnitude = [p, q](double near, double far) {
    return rationalPowerOfMagnitudes(near, far, p, q);
  };
  if (base.lower >= 0 || q % 2 == 0) {
    if (base.upper < 0) return undefined(); // an even denominator has nothing below zero
    if (base.lower < 0) notePartlyUndefined();
    return magnitude(std::max(base.lower, 0.0), base.upper);
  }
  if (isEvenInteger(p)) // an even function: the magnitudes decide
    return magnitude(base.upper < 0 ? -base.upper : 0.0, std::max(-base.lower, base.upper));
  if (base.upper <= 0) { // odd, and all at or below zero: the magnitudes negated
    const IntervalValue m = magnitude(-base.upper, -base.lower);
    return {-m.upper, -m.lower};
  }
  // Odd, across zero: rising through 0 for p > 0; for p < 0 the pole at 0 reaches both infinities.
  if (p < 0) return wholeLine();
  return {-magnitude(0.0, -base.lower).upper, magnitude(0.0, base.upper).upper};
}

IntervalValue intervalExp(IntervalValue a) {
  if (a.lower != a.upper && std::isfinite(a.lower) && std::isfinite(a.upper)) {
    // e^(m + t) = e^m e^t, with 1 - h <= e^t <= 1 + h + 0.52 h^2 for |t| <= h <= 1/16.
    const Middle m = middleOf(a);
    if (m.halfWidth <= kNarrowHalfWidth) {
      const Bounds expM = valueOf(
          Routine::Exp, [](double v) { return std::exp(v); }, m.at);
      const double h = m.halfWidth;
      return clampTo({downProduct(expM.low, downSum(1.0, -h)), expM.high * (1 + h + 0.52 * h * h)}, 0,
                     kInfinity);
    }
  }
  const auto exact = [](double x, double, double& value) {
    value = 1;
    return x == 0;
  };
  return clampTo(
      monotonicWithin(
          a, -kInfinity, kInfinity, true, Routine::Exp, [](double v) { return std::exp(v); }, exact),
      0, kInfinity);
}

IntervalValue intervalLn(IntervalValue a) {
  if (a.lower > 0 && a.lower != a.upper && std::isfinite(a.upper)) {
    // ln(m + t) = ln m + ln(1 + t/m), with -r/(1 - r) <= ln(1 + u) <= r for |u| <= r.
    const Middle m = middleOf(a);
    const double r = m.halfWidth / m.at;
    if (r <= kNarrowHalfWidth) {
      const Bounds lnM = m.at == 1 ? exactly(0.0)
                                   : valueOf(
                                         Routine::Ln, [](double v) { return std::log(v); }, m.at);
      return {downSum(lnM.low, -(r / downSum(1.0, -r))), lnM.high + r};
    }
  }
  return logarithm(
      a, Routine::Ln, [](double v) { return std::log(v); }, lnExact);
}
IntervalValue intervalLog10(IntervalValue a) {
  return logarithm(
      a, Routine::Log10, [](double v) { return std::log10(v); }, log10Exact);
}
IntervalValue intervalSin(IntervalValue a) { return sinCos(a, true); }
IntervalValue intervalCos(IntervalValue a) { return sinCos(a, false); }
// Poles at x = pi/2 + k pi, where x/pi - 1/2 is an integer; rising between them.
IntervalValue intervalTan(IntervalValue a) {
  return betweenPoles(
      a, -0.5, true, Routine::Tan, [](double v) { return std::tan(v); }, zeroAtZero);
}
// Poles at the multiples of pi; falling between them.
IntervalValue intervalCot(IntervalValue a) {
  return betweenPoles(a, 0.0, false, Routine::Cot, cot, noneExact);
}
IntervalValue intervalSec(IntervalValue a) { return upward::intervalReciprocal(upward::intervalCos(a)); }
IntervalValue intervalCsc(IntervalValue a) { return upward::intervalReciprocal(upward::intervalSin(a)); }

IntervalValue intervalArcsin(IntervalValue a) {
  return clampTo(monotonicWithin(
                     a, -1, 1, true, Routine::Arcsin, [](double v) { return std::asin(v); }, zeroAtZero),
                 -kHalfPiAbove, kHalfPiAbove);
}

bool zeroAtOne(double x, double, double& value) {
  value = 0;
  return x == 1;
}

IntervalValue intervalArccos(IntervalValue a) {
  return clampTo(monotonicWithin(
                     a, -1, 1, false, Routine::Arccos, [](double v) { return std::acos(v); }, zeroAtOne),
                 0, kPiAbove);
}

IntervalValue intervalArctan(IntervalValue a) {
  return clampTo(
      monotonicWithin(
          a, -kInfinity, kInfinity, true, Routine::Arctan, [](double v) { return std::atan(v); }, zeroAtZero),
      -kHalfPiAbove, kHalfPiAbove);
}

// arccot falls continuously from pi to 0 over the whole line.
IntervalValue intervalArccot(IntervalValue a) {
  return clampTo(monotonicWithin(a, -kInfinity, kInfinity, false, Routine::Arccot, arccot, noneExact), 0,
                 kPiAbove);
}

// arcsec rises on both sides of the gap (-1, 1): from pi/2 to pi below it, from 0 to pi/2 above.
IntervalValue intervalArcsec(IntervalValue a) {
  const IntervalValue result =
      hull(monotonicWithin(a, -kInfinity, -1, true, Routine::Arcsec, arcsec, zeroAtOne),
           monotonicWithin(a, 1, kInfinity, true, Routine::Arcsec, arcsec, zeroAtOne));
  return clampTo(result, 0, kPiAbove);
}

// arccsc falls on both sides of the gap: from 0 to -pi/2 below it, from pi/2 to 0 above.
IntervalValue intervalArccsc(IntervalValue a) {
  const IntervalValue result =
      hull(monotonicWithin(a, -kInfinity, -1, false, Routine::Arccsc, arccsc, noneExact),
           monotonicWithin(a, 1, kInfinity, false, Routine::Arccsc, arccsc, noneExact));
  return clampTo(result, -kHalfPiAbove, kHalfPiAbove);
}

IntervalValue intervalSinh(IntervalValue a) {
  return monotonicWithin(
      a, -kInfinity, kInfinity, true, Routine::Sinh, [](double v) { return std::sinh(v); }, zeroAtZero);
}

IntervalValue intervalCosh(IntervalValue a) {
  const auto cosh = [](double v) { return std::cosh(v); };
  const auto exact = [](double x, double, double& value) {
    value = 1;
    return x == 0;
  };
  IntervalValue result;
  if (a.lower >= 0) {
    result = monotonicWithin(a, 0, kInfinity, true, Routine::Cosh, cosh, exact);
  } else if (a.upper <= 0) {
    result = monotonicWithin(a, -kInfinity, 0, false, Routine::Cosh, cosh, exact);
  } else {
    Bounds atLow, atHigh;
    valuesAt(Routine::Cosh, cosh, exact, a.lower, a.upper, atLow, atHigh);
    result = {1, std::max(atLow.high, atHigh.high)};
  }
  return clampTo(result, 1, kInfinity);
}

IntervalValue intervalTanh(IntervalValue a) {
  return clampTo(
      monotonicWithin(
          a, -kInfinity, kInfinity, true, Routine::Tanh, [](double v) { return std::tanh(v); }, zeroAtZero),
      -1, 1);
}

IntervalValue intervalCoth(IntervalValue a) { return upward::intervalReciprocal(upward::intervalTanh(a)); }
IntervalValue intervalSech(IntervalValue a) { return upward::intervalReciprocal(upward::intervalCosh(a)); }
IntervalValue intervalCsch(IntervalValue a) { return upward::intervalReciprocal(upward::intervalSinh(a)); }

IntervalValue intervalArcsinh(IntervalValue a) {
  return monotonicWithin(a, -kInfinity, kInfinity, true, Routine::Arcsinh, arcsinh, zeroAtZero);
}

IntervalValue intervalArccosh(IntervalValue a) {
  return clampTo(monotonicWithin(a, 1, kInfinity, true, Routine::Arccosh, arccosh, zeroAtOne), 0, kInfinity);
}

IntervalValue intervalArctanh(IntervalValue a) {
  return monotonicWithin(a, -1, 1, true, Routine::Arctanh, arctanh, zeroAtZero);
}

// arccoth falls on both sides of the gap: from 0 to -inf below it, from +inf to 0 above.
IntervalValue intervalArccoth(IntervalValue a) {
  return hull(monotonicWithin(a, -kInfinity, -1, false, Routine::Arccoth, arccoth, noneExact),
              monotonicWithin(a, 1, kInfinity, false, Routine::Arccoth, arccoth, noneExact));
}

// arcsech falls from +inf at 0 to 0 at 1.
IntervalValue intervalArcsech(IntervalValue a) {
  const auto exact = [](double x, double, double& value) {
    value = x == 0 ? kInfinity : 0;
    return x == 0 || x == 1;
  };
  return clampTo(monotonicWithin(a, 0, 1, false, Routine::Arcsech, arcsech, exact), 0, kInfinity);
}

// arccsch falls on each side of its pole at 0: to -inf below it, from +inf above.
IntervalValue intervalArccsch(IntervalValue a) {
  if (a.lower < 0 && a.upper > 0) return wholeLine();
  if (a.lower == 0 && a.upper == 0) return {kInfinity, kInfinity};
  Bounds atLow, atHigh;
  valuesAt(Routine::Arccsch, arccsch, noneExact, a.lower, a.upper, atLow, atHigh);
  if (a.lower >= 0) return {atHigh.low, a.lower == 0 ? kInfinity : atLow.high};
  return {a.upper == 0 ? -kInfinity : atHigh.low, atLow.high};
}

// Between two poles (or above -1) |x!| falls to one least value and rises again; the sign is that
// of the piece. The rows of detail/factorial_turns.h say where the turning points lie.
IntervalValue intervalFactorial(IntervalValue a) {
  if (a.lower == a.upper) {
    // The exact products; elsewhere the ends keep room for the error of the values between them.
    if (a.lower >= 0 && a.lower <= 22 && std::trunc(a.lower) == a.lower)
      return {factorial(a.lower), factorial(a.lower)};
    const Bounds at = factorialAt(a.lower);
    return std::isnan(at.low) ? undefined() : point(at);
  }
  // The piece: 0 above -1, n between -n-1 and -n; an end on a pole counts as infinite.
  int piece = 0;
  if (a.lower <= -1) {
    if (!(a.lower > -1e9)) return wholeLine();  // pieces too many to count
    const double leftPole = std::ceil(a.lower); // the first pole at or above the lower end
    // A pole may be either end, but not lie inside.
    const double firstInside = a.lower == leftPole ? leftPole + 1 : leftPole;
    if (firstInside <= -1 && a.upper > firstInside) return wholeLine();
    piece = static_cast<int>(-leftPole) - (a.lower == leftPole ? 1 : 0);
  }
  const bool negative = (piece & 1) != 0;
  // Magnitudes at the ends; at a pole, infinite.
  Bounds atLow, atHigh;
  const auto pole = [](double x, double, double& value) {
    value = kInfinity;
    return x < 0 && std::trunc(x) == x;
  };
  valuesAt(Routine::Factorial, factorial, pole, a.lower, a.upper, atLow, atHigh);
  if (negative) {
    atLow = {-atLow.high, -atLow.low};
    atHigh = {-atHigh.high, -atHigh.low};
  }
  // An end on a pole is infinite in magnitude, whatever the sign of the piece. A value beyond the
  // largest double is not: its lower bound stays finite.
  if (std::isinf(atLow.low)) atLow = {kInfinity, kInfinity};
  if (std::isinf(atHigh.low)) atHigh = {kInfinity, kInfinity};
  double least;
  const int turns = static_cast<int>(std::size(detail::kFactorialTurns));
  if (piece < turns) {
    const double turn = detail::kFactorialTurns[piece].at;
    // The turning point is the nearest double to the real one: a neighbour on either side counts.
    if (a.upper < std::nextafter(turn, -kInfinity))
      least = atHigh.low; // falling to the upper end
    else if (a.lower > std::nextafter(turn, kInfinity))
      least = atLow.low; // rising from the lower end
    else
      least = detail::kFactorialTurns[piece].leastMagnitude;
  } else {
    least = 0; // below the smallest double
  }
  least = std::max(least, 0.0);
  const double greatest = std::max(atLow.high, atHigh.high);
  return negative ? IntervalValue{-greatest, -least} : IntervalValue{least, greatest};
}

IntervalValue intervalLess(IntervalValue a, IntervalValue b) {
  if (a.upper < b.lower) return truth(true);
  if (a.lower >= b.upper) return truth(false);
  return eitherTruth();
}

IntervalValue intervalGreater(IntervalValue a, IntervalValue b) { return upward::intervalLess(b, a); }

IntervalValue intervalEqual(IntervalValue a, IntervalValue b) {
  if (a.lower == a.upper && b.lower == b.upper && a.lower == b.lower) return truth(true);
  if (a.upper < b.lower || b.upper < a.lower) return truth(false);
  return eitherTruth();
}

IntervalValue intervalAnd(IntervalValue a, IntervalValue b) {
  if (surelyZero(a) || surelyZero(b)) return truth(false);
  if (surelyNonzero(a) && surelyNonzero(b)) return truth(true);
  return eitherTruth();
}

IntervalValue intervalOr(IntervalValue a, IntervalValue b) {
  if (surelyNonzero(a) || surelyNonzero(b)) return truth(true);
  if (surelyZero(a) && surelyZero(b)) return truth(false);
  return eitherTruth();
}

IntervalValue intervalAngle(IntervalValue y, IntervalValue x) {
  const IntervalValue allAngles{0, kTwoPiAbove};
  const bool yReachesZero = y.lower <= 0 && y.upper >= 0;
  const bool xReachesZero = x.lower <= 0 && x.upper >= 0;
  // Around the origin every angle occurs; across the positive x axis the angle jumps from 2pi to 0.
  if (yReachesZero && xReachesZero) return allAngles;
  const auto at = [](double py, double px) { return valueOf(Routine::Angle, angleOf, py, px); };
  if (y.lower == y.upper && x.lower == x.upper) return clampTo(point(at(y.lower, x.lower)), 0, kTwoPiAbove);
  if (y.lower < 0 && y.upper >= 0 && x.upper > 0) return allAngles;
  // Below the axis the angle tends to 2pi as x grows, but where atan2 underflows (or x is +inf) it
  // gives -0, which reads as 0.
  if (y.upper < 0 && inCallerRounding(angleOf, y.upper, x.upper) == 0) return allAngles;
  // Elsewhere the angle is continuous over the box, so its extremes lie at the corners.
  const Bounds corners[] = {at(y.lower, x.lower), at(y.lower, x.upper), at(y.upper, x.lower),
                            at(y.upper, x.upper)};
  IntervalValue result{kInfinity, -kInfinity};
  for (const Bounds& c : corners) {
    result.lower = std::min(result.lower, c.low);
    result.upper = std::max(result.upper, c.high);
  }
  return clampTo(result, 0, kTwoPiAbove);
}

IntervalValue intervalHypot(IntervalValue a, IntervalValue b) {
  const IntervalValue x = upward::intervalAbs(a);
  const IntervalValue y = upward::intervalAbs(b);
  // hypot grows with |x| and |y| and is at least the larger of them.
  const auto at = [](double p, double q) {
    if (p == 0) return exactly(q);
    if (q == 0) return exactly(p);
    if (std::isinf(p) || std::isinf(q)) return exactly(kInfinity);
    Bounds r = valueOf(
        Routine::Hypot, [](double u, double v) { return std::hypot(u, v); }, p, q);
    r.low = std::max(r.low, std::max(p, q));
    return r;
  };
  return {at(x.lower, y.lower).low, at(x.upper, y.upper).high};
}

} // namespace upward

namespace {

IntervalValue ordered(IntervalValue v) { return v.lower <= v.upper ? v : IntervalValue{v.upper, v.lower}; }

// The public routines: any order of bounds, any rounding; the kernels run in upward rounding.
template <typename Kernel> IntervalValue inUpwardRounding(Kernel kernel, IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  detail::UpwardRounding rounding;
  IntervalValue r = kernel(ordered(a));
  detail::pin(r.lower, r.upper);
  return r;
}

template <typename Kernel> IntervalValue inUpwardRounding(Kernel kernel, IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  detail::UpwardRounding rounding;
  IntervalValue r = kernel(ordered(a), ordered(b));
  detail::pin(r.lower, r.upper);
  return r;
}

} // namespace

IntervalValue undefinedInterval() { return upward::undefined(); }
IntervalValue wholeLine() { return upward::wholeLine(); }

#define VEXMAR_PUBLIC_UNARY(name)                                                                            \
  IntervalValue name(IntervalValue a) {                                                                      \
    return inUpwardRounding([](IntervalValue v) { return upward::name(v); }, a);                             \
  }
#define VEXMAR_PUBLIC_BINARY(name)                                                                           \
  IntervalValue name(IntervalValue a, IntervalValue b) {                                                     \
    return inUpwardRounding([](IntervalValue u, IntervalValue v) { return upward::name(u, v); }, a, b);      \
  }

VEXMAR_PUBLIC_BINARY(intervalAdd)
VEXMAR_PUBLIC_UNARY(intervalNegate)
VEXMAR_PUBLIC_BINARY(intervalMultiply)
VEXMAR_PUBLIC_UNARY(intervalReciprocal)
VEXMAR_PUBLIC_BINARY(intervalDivide)
VEXMAR_PUBLIC_BINARY(intervalPower)
VEXMAR_PUBLIC_UNARY(intervalAbs)
VEXMAR_PUBLIC_UNARY(intervalSign)
VEXMAR_PUBLIC_UNARY(intervalSqrt)
VEXMAR_PUBLIC_UNARY(intervalExp)
VEXMAR_PUBLIC_UNARY(intervalLn)
VEXMAR_PUBLIC_UNARY(intervalLog10)
VEXMAR_PUBLIC_UNARY(intervalTan)
VEXMAR_PUBLIC_UNARY(intervalCot)
VEXMAR_PUBLIC_UNARY(intervalSec)
VEXMAR_PUBLIC_UNARY(intervalCsc)
VEXMAR_PUBLIC_UNARY(intervalArcsin)
VEXMAR_PUBLIC_UNARY(intervalArccos)
VEXMAR_PUBLIC_UNARY(intervalArctan)
VEXMAR_PUBLIC_UNARY(intervalArccot)
VEXMAR_PUBLIC_UNARY(intervalArcsec)
VEXMAR_PUBLIC_UNARY(intervalArccsc)
VEXMAR_PUBLIC_UNARY(intervalSinh)
VEXMAR_PUBLIC_UNARY(intervalCosh)
VEXMAR_PUBLIC_UNARY(intervalTanh)
VEXMAR_PUBLIC_UNARY(intervalCoth)
VEXMAR_PUBLIC_UNARY(intervalSech)
VEXMAR_PUBLIC_UNARY(intervalCsch)
VEXMAR_PUBLIC_UNARY(intervalArcsinh)
VEXMAR_PUBLIC_UNARY(intervalArccosh)
VEXMAR_PUBLIC_UNARY(intervalArctanh)
VEXMAR_PUBLIC_UNARY(intervalArccoth)
VEXMAR_PUBLIC_UNARY(intervalArcsech)
VEXMAR_PUBLIC_UNARY(intervalArccsch)
VEXMAR_PUBLIC_UNARY(intervalFactorial)
VEXMAR_PUBLIC_BINARY(intervalLess)
VEXMAR_PUBLIC_BINARY(intervalGreater)
VEXMAR_PUBLIC_BINARY(intervalEqual)
VEXMAR_PUBLIC_BINARY(intervalAnd)
VEXMAR_PUBLIC_BINARY(intervalOr)
VEXMAR_PUBLIC_BINARY(intervalAngle)
VEXMAR_PUBLIC_BINARY(intervalHypot)

#undef VEXMAR_PUBLIC_BINARY
#undef VEXMAR_PUBLIC_UNARY

IntervalValue intervalRationalPower(IntervalValue base, double p, int q) {
  return inUpwardRounding([p, q](IntervalValue v) { return upward::intervalRationalPower(v, p, q); }, base);
}

IntervalValue intervalSinCos(IntervalValue a, bool sine) {
  return sine ? inUpwardRounding([](IntervalValue v) { return upward::intervalSin(v); }, a)
              : inUpwardRounding([](IntervalValue v) { return upward::intervalCos(v); }, a);
}

} // namespace vexmar
