#include "numeric/interval.h"

#include "numeric/real_functions.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// Every bound here must hold the exact value, not just the rounded one: a bound computed by a
// correctly rounded operation is moved one step outward when its rounding error (found with fma or
// the two-sum trick) points inward, and a bound from the maths library, which is only accurate to a
// couple of units in the last place, is moved kLibmUlps steps outward. Values known exactly (sin 0,
// exp 0, x^1, ...) are kept exact, so that a nonnegative result never gets a negative lower bound
// that a following square root would reject.
//
// Poles follow the real functions, not IEEE's signed zeros: 1/x over [-1, 0] is (-inf, -1) even
// though 1/(+0) is +inf, as the reciprocal rule of the machine says.

namespace vexmar {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = DBL_MAX;
constexpr int kLibmUlps = 4;
// Below this magnitude an fma residual may underflow and lose its sign.
constexpr double kTiny = 0x1p-960;

// The double just above each constant: the real pi/2, pi and 2pi all lie above their doubles.
const double kHalfPiAbove = std::nextafter(Constant::HalfPi, kInfinity);
const double kPiAbove = std::nextafter(Constant::Pi, kInfinity);
const double kTwoPiAbove = std::nextafter(Constant::TwoPi, kInfinity);

// x! reaches its least value, Gamma(1.4616...) = 0.88560319441..., here; the bound below it allows
// for the error of the Lanczos series.
constexpr double kFactorialMinimumAt = 0.46163214496836234;
constexpr double kFactorialMinimumBound = 0.8856031935;
constexpr double kLanczosRelativeError = 1e-9;

/// Bounds of one value: exact, or widened around a rounded result.
struct Range {
  double low;
  double high;
};

// The next double up, by its bits (std::nextafter is a library call on every bound).
inline double nextUp(double v) {
  if (v != v || v == kInfinity) return v;
  if (v == 0) return std::numeric_limits<double>::denorm_min();
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
  return std::bit_cast<double>(v > 0 ? bits + 1 : bits - 1);
}

inline double nextDown(double v) { return -nextUp(-v); }

double stepDown(double v, int steps) {
  for (int i = 0; i < steps; ++i) v = nextDown(v);
  return v;
}

double stepUp(double v, int steps) {
  for (int i = 0; i < steps; ++i) v = nextUp(v);
  return v;
}

Range exactly(double v) { return {v, v}; }
Range around(double v, int steps = kLibmUlps) { return {stepDown(v, steps), stepUp(v, steps)}; }

// A finite calculation that overflowed: the exact value lies beyond the largest double.
Range overflowed(double v) { return v > 0 ? Range{kLargest, kInfinity} : Range{-kInfinity, -kLargest}; }

// The rounded value r with the sign of (r - exact) known: move the bound on the wrong side.
Range correctedFor(double r, int roundedAbove) {
  if (roundedAbove > 0) return {nextDown(r), r};
  if (roundedAbove < 0) return {r, nextUp(r)};
  return exactly(r);
}

int signOf(double v) { return (v > 0) - (v < 0); }

Range sumOf(double a, double b) {
  const double s = a + b;
  if (std::isnan(s)) return {kNaN, kNaN};
  if (std::isinf(s)) return std::isfinite(a) && std::isfinite(b) ? overflowed(s) : exactly(s);
  const double bVirtual = s - a;
  const double error = (a - (s - bVirtual)) + (b - bVirtual); // exact value minus s
  return correctedFor(s, -signOf(error));
}

// Zero times infinity counts as zero: it bounds the products of finite numbers near those ends.
Range productOf(double a, double b) {
  if (a == 0 || b == 0) return exactly(0.0);
  const double p = a * b;
  if (std::isinf(p)) return std::isfinite(a) && std::isfinite(b) ? overflowed(p) : exactly(p);
  if (std::fabs(p) < kTiny) return around(p, 1);
  return correctedFor(p, -signOf(std::fma(a, b, -p)));
}

Range reciprocalOf(double x) {
  const double r = 1 / x;
  if (std::isinf(x)) return exactly(r);
  if (std::isinf(r)) return overflowed(r);
  if (std::fabs(r) < kTiny) return around(r, 1);
  // r x - 1 = x (r - 1/x).
  return correctedFor(r, signOf(std::fma(r, x, -1.0)) * signOf(x));
}

// a / b for b != 0 in one rounding: the reciprocal of a tiny b may overflow where the quotient does not.
Range quotientOf(double a, double b) {
  const double q = a / b;
  if (std::isnan(q)) return {kNaN, kNaN};
  if (std::isinf(q)) return std::isfinite(a) ? overflowed(q) : exactly(q);
  if (a == 0 || std::isinf(b)) return exactly(q);
  if (std::fabs(q) < kTiny || std::fabs(a) < kTiny) return around(q, 1);
  // q b - a = b (q - a/b).
  return correctedFor(q, signOf(std::fma(q, b, -a)) * signOf(b));
}

Range sqrtOf(double x) {
  const double r = std::sqrt(x);
  if (x == 0 || std::isinf(x)) return exactly(r);
  if (x < kTiny) return around(r, 1);
  return correctedFor(r, signOf(std::fma(r, r, -x)));
}

// Exponents up to this size are also multiplied out, so that exact powers (2^3, 10^-2's 100) stay exact.
constexpr double kMultipliedExponentLimit = 64;

// x^k for x > 0 and an integer 1 <= k <= kMultipliedExponentLimit, by squaring with rounding outward.
Range multipliedPowerOf(double x, int k) {
  // Every exact value here is positive, so room below zero left by an underflow is cut off.
  const auto multiply = [](Range a, Range b) {
    return Range{std::max(productOf(a.low, b.low).low, 0.0), productOf(a.high, b.high).high};
  };
  Range result = exactly(1.0);
  Range square = exactly(x);
  for (;;) {
    if (k & 1) result = multiply(result, square);
    k >>= 1;
    if (k == 0) return result;
    square = multiply(square, square);
  }
}

// x^y for x >= 0; either zero counts as +0.
Range powerOf(double x, double y) {
  if (x == 0) x = 0.0;
  if (y == 0 || x == 1) return exactly(1.0);
  if (y == 1) return exactly(x);
  if (x == 0 || std::isinf(x) || std::isinf(y)) return exactly(std::pow(x, y));
  if (y == 0.5) return sqrtOf(x);
  Range r;
  if (std::trunc(y) == y && std::fabs(y) <= kMultipliedExponentLimit) {
    // Multiplied out with outward rounding: an enclosure without a library call.
    r = multipliedPowerOf(x, static_cast<int>(std::fabs(y)));
    if (y < 0) r = {reciprocalOf(r.high).low, reciprocalOf(r.low).high};
  } else {
    r = around(std::pow(x, y));
  }
  r.low = std::max(r.low, 0.0);
  return r;
}

// Functions that are exactly zero at zero keep that value exact.
template <typename F> Range zeroAtZero(F f, double x) { return x == 0 ? exactly(x) : around(f(x)); }

IntervalValue ordered(IntervalValue v) { return v.lower <= v.upper ? v : IntervalValue{v.upper, v.lower}; }
IntervalValue rising(Range atLow, Range atHigh) { return {atLow.low, atHigh.high}; }
IntervalValue falling(Range atLow, Range atHigh) { return {atHigh.low, atLow.high}; }
IntervalValue clampTo(IntervalValue v, double low, double high) {
  return {std::max(v.lower, low), std::min(v.upper, high)};
}

IntervalValue hull(IntervalValue a, IntervalValue b) {
  if (isUndefined(a)) return b;
  if (isUndefined(b)) return a;
  return {std::min(a.lower, b.lower), std::max(a.upper, b.upper)};
}

// The least lower and the greatest upper bound of the corners' values.
IntervalValue enclosingCorners(const Range (&corners)[4]) {
  IntervalValue result{kInfinity, -kInfinity};
  for (const Range& r : corners) {
    result.lower = std::min(result.lower, r.low);
    result.upper = std::max(result.upper, r.high);
  }
  return result;
}

IntervalValue truth(bool value) { return value ? IntervalValue{1, 1} : IntervalValue{0, 0}; }
IntervalValue eitherTruth() { return {0, 1}; }

// Whether an integer lies within [tLow, tHigh] allowing for the rounding of t = x/pi + shift; the
// first and last such integers. Counting one too many only loosens the result.
struct HalfPeriods {
  double first;
  double last;
};

HalfPeriods halfPeriodsIn(IntervalValue a, double shift) {
  const double tLow = a.lower * Constant::InversePi + shift;
  const double tHigh = a.upper * Constant::InversePi + shift;
  const double slack = 4 * DBL_EPSILON * (std::max(std::fabs(tLow), std::fabs(tHigh)) + 2);
  return {std::ceil(tLow - slack), std::floor(tHigh + slack)};
}

// Gamma(x + 1) with room for the error of the series (and, below 0, of sin(pi x) near a pole). The
// room is kept at integers too, where the value is an exact product: the series next to them may
// lie on the other side of it.
Range factorialAt(double x) {
  const double v = factorial(x);
  if (std::isnan(v)) return {kNaN, kNaN};
  if (std::isinf(v)) return overflowed(v);
  double relative = kLanczosRelativeError;
  if (x < 0) {
    double pole = std::round(x);
    if (pole == 0) pole = -1;
    relative += 1e-15 * std::max(1.0, std::fabs(x)) / std::fabs(x - pole);
  }
  const double margin = std::fabs(v) * relative;
  return {stepDown(v - margin, 1), stepUp(v + margin, 1)};
}

IntervalValue powerOfNonnegativeBase(double low, double high, IntervalValue exponent) {
  // x^y is monotonic in each argument for x >= 0, so the extremes lie at the corners.
  return enclosingCorners({powerOf(low, exponent.lower), powerOf(low, exponent.upper),
                           powerOf(high, exponent.lower), powerOf(high, exponent.upper)});
}

// A negative base has values only at the integer exponents in the interval.
IntervalValue powerOfNegativeBase(double low, double high, IntervalValue exponent) {
  const double firstInteger = std::ceil(exponent.lower);
  const double lastInteger = std::floor(exponent.upper);
  if (firstInteger > lastInteger) return undefinedInterval();
  const double nearMagnitude = -high;
  const double farMagnitude = -low;
  if (firstInteger == lastInteger && std::isfinite(firstInteger)) {
    const double k = firstInteger;
    const Range atNear = powerOf(nearMagnitude, k);
    const Range atFar = powerOf(farMagnitude, k);
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

// Both inverse reciprocal functions defined for |x| >= 1: each side of the gap on its own.
template <typename F> IntervalValue outsideUnitGap(IntervalValue a, F inverseOfReciprocal) {
  IntervalValue result = undefinedInterval();
  if (a.lower <= -1)
    result = hull(result, inverseOfReciprocal(intervalReciprocal({a.lower, std::min(a.upper, -1.0)})));
  if (a.upper >= 1)
    result = hull(result, inverseOfReciprocal(intervalReciprocal({std::max(a.lower, 1.0), a.upper})));
  return result;
}

bool surelyNonzero(IntervalValue v) { return v.lower > 0 || v.upper < 0; }
bool surelyZero(IntervalValue v) { return v.lower == 0 && v.upper == 0; }

} // namespace

IntervalValue undefinedInterval() { return {kNaN, kNaN}; }
IntervalValue wholeLine() { return {-kInfinity, kInfinity}; }

IntervalValue intervalAdd(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  // Infinities of opposite signs meeting: any value is possible.
  const IntervalValue sum{sumOf(a.lower, b.lower).low, sumOf(a.upper, b.upper).high};
  return isUndefined(sum) ? wholeLine() : sum;
}

IntervalValue intervalNegate(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  return {-a.upper, -a.lower};
}

IntervalValue intervalMultiply(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  // The signs of the bounds say which corners hold the extremes: two products, not four.
  const auto low = [](double x, double y) { return productOf(x, y).low; };
  const auto high = [](double x, double y) { return productOf(x, y).high; };
  if (a.lower >= 0) {
    if (b.lower >= 0) return {low(a.lower, b.lower), high(a.upper, b.upper)};
    if (b.upper <= 0) return {low(a.upper, b.lower), high(a.lower, b.upper)};
    return {low(a.upper, b.lower), high(a.upper, b.upper)};
  }
  if (a.upper <= 0) {
    if (b.lower >= 0) return {low(a.lower, b.upper), high(a.upper, b.lower)};
    if (b.upper <= 0) return {low(a.upper, b.upper), high(a.lower, b.lower)};
    return {low(a.lower, b.upper), high(a.lower, b.lower)};
  }
  if (b.lower >= 0) return {low(a.lower, b.upper), high(a.upper, b.upper)};
  if (b.upper <= 0) return {low(a.upper, b.lower), high(a.lower, b.lower)};
  return {std::min(low(a.lower, b.upper), low(a.upper, b.lower)),
          std::max(high(a.lower, b.lower), high(a.upper, b.upper))};
}

IntervalValue intervalReciprocal(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.lower == 0 && a.upper == 0) return {kInfinity, kInfinity};
  if (a.lower == 0) return {reciprocalOf(a.upper).low, kInfinity};
  if (a.upper == 0) return {-kInfinity, reciprocalOf(a.lower).high};
  if (a.lower < 0 && a.upper > 0) return wholeLine();
  return {reciprocalOf(a.upper).low, reciprocalOf(a.lower).high};
}

IntervalValue intervalDivide(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  // A divisor reaching zero follows the reciprocal rule; so does infinity over infinity, whose
  // corner quotient is NaN although the quotients near it are not.
  if (b.lower <= 0 && b.upper >= 0) return intervalMultiply(a, intervalReciprocal(b));
  const Range corners[] = {quotientOf(a.lower, b.lower), quotientOf(a.lower, b.upper),
                           quotientOf(a.upper, b.lower), quotientOf(a.upper, b.upper)};
  for (const Range& r : corners)
    if (std::isnan(r.low)) return intervalMultiply(a, intervalReciprocal(b));
  return enclosingCorners(corners);
}

// Squares are the commonest powers: monotonic on each side of 0, least value 0 when 0 is inside.
IntervalValue squareOf(IntervalValue a) {
  if (a.lower >= 0) return {productOf(a.lower, a.lower).low, productOf(a.upper, a.upper).high};
  if (a.upper <= 0) return {productOf(a.upper, a.upper).low, productOf(a.lower, a.lower).high};
  return {0.0, std::max(productOf(a.lower, a.lower).high, productOf(a.upper, a.upper).high)};
}

IntervalValue intervalPower(IntervalValue base, IntervalValue exponent) {
  if (isUndefined(base) || isUndefined(exponent)) return undefinedInterval();
  base = ordered(base);
  exponent = ordered(exponent);
  if (exponent.lower == 2.0 && exponent.upper == 2.0) return squareOf(base);
  IntervalValue result = undefinedInterval();
  if (base.upper >= 0)
    result = hull(result, powerOfNonnegativeBase(std::max(base.lower, 0.0), base.upper, exponent));
  if (base.lower < 0)
    result = hull(result, powerOfNegativeBase(base.lower, std::min(base.upper, 0.0), exponent));
  return result;
}

IntervalValue intervalAbs(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.lower >= 0) return a;
  if (a.upper <= 0) return {-a.upper, -a.lower};
  return {0, std::max(-a.lower, a.upper)};
}

IntervalValue intervalSign(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const double low = a.lower < 0 ? -1 : a.lower == 0 ? 0 : 1;
  const double high = a.upper > 0 ? 1 : a.upper == 0 ? 0 : -1;
  return {low, high};
}

// As the machine defines it: a lower bound below zero makes the whole result undefined.
IntervalValue intervalSqrt(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.lower < 0) return undefinedInterval();
  return rising(sqrtOf(a.lower), sqrtOf(a.upper));
}

IntervalValue intervalExp(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return x == 0 ? exactly(1.0) : around(std::exp(x)); };
  return clampTo(rising(at(a.lower), at(a.upper)), 0, kInfinity);
}

namespace {

// Logarithms over the part of the interval where they are defined, zero included (as -inf).
template <typename F> IntervalValue logarithm(IntervalValue a, F log) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < 0) return undefinedInterval();
  const auto at = [log](double x) { return x == 1 ? exactly(0.0) : around(log(x)); };
  const double low = a.lower <= 0 ? -kInfinity : at(a.lower).low;
  return {low, at(a.upper).high};
}

} // namespace

IntervalValue intervalLn(IntervalValue a) {
  return logarithm(a, [](double x) { return std::log(x); });
}

IntervalValue intervalLog10(IntervalValue a) {
  return logarithm(a, [](double x) { return std::log10(x); });
}

IntervalValue intervalSinCos(IntervalValue a, bool sine) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (std::isinf(a.lower) || std::isinf(a.upper)) return {-1, 1};
  const auto at = [sine](double x) {
    if (x == 0) return exactly(sine ? x : 1.0);
    return around(sine ? std::sin(x) : std::cos(x));
  };
  const Range atLow = at(a.lower);
  const Range atHigh = at(a.upper);
  IntervalValue result = clampTo({std::min(atLow.low, atHigh.low), std::max(atLow.high, atHigh.high)}, -1, 1);
  if (a.lower == a.upper) return result;
  // In half-periods t = x/pi (+3/2 for sine, which is the cosine of x + 3pi/2) the extrema of
  // cos(pi t) lie at the integers: maxima at the even ones, minima at the odd ones.
  const HalfPeriods extrema = halfPeriodsIn(a, sine ? 1.5 : 0.0);
  if (extrema.last - extrema.first >= 1) return {-1, 1};
  if (extrema.first == extrema.last) {
    if (isEvenInteger(extrema.first))
      result.upper = 1;
    else
      result.lower = -1;
  }
  return result;
}

IntervalValue intervalTan(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::tan(v); }, x); };
  if (a.lower == a.upper) return std::isinf(a.lower) ? undefinedInterval() : rising(at(a.lower), at(a.upper));
  if (std::isinf(a.lower) || std::isinf(a.upper)) return wholeLine();
  // Poles at x = pi/2 + k pi, where x/pi - 1/2 is an integer; rising between them.
  const HalfPeriods poles = halfPeriodsIn(a, -0.5);
  if (poles.first <= poles.last) return wholeLine();
  return rising(at(a.lower), at(a.upper));
}

IntervalValue intervalCot(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return around(cot(x)); };
  if (a.lower == a.upper) return std::isinf(a.lower) ? undefinedInterval() : rising(at(a.lower), at(a.upper));
  if (std::isinf(a.lower) || std::isinf(a.upper)) return wholeLine();
  // Poles at the multiples of pi; falling between them.
  const HalfPeriods poles = halfPeriodsIn(a, 0.0);
  if (poles.first <= poles.last) return wholeLine();
  return falling(at(a.lower), at(a.upper));
}

IntervalValue intervalSec(IntervalValue a) { return intervalReciprocal(intervalSinCos(a, false)); }
IntervalValue intervalCsc(IntervalValue a) { return intervalReciprocal(intervalSinCos(a, true)); }

IntervalValue intervalArcsin(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < -1 || a.lower > 1) return undefinedInterval();
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::asin(v); }, x); };
  const IntervalValue result = rising(at(std::max(a.lower, -1.0)), at(std::min(a.upper, 1.0)));
  return clampTo(result, -kHalfPiAbove, kHalfPiAbove);
}

IntervalValue intervalArccos(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < -1 || a.lower > 1) return undefinedInterval();
  const auto at = [](double x) { return x == 1 ? exactly(0.0) : around(std::acos(x)); };
  const IntervalValue result = falling(at(std::max(a.lower, -1.0)), at(std::min(a.upper, 1.0)));
  return clampTo(result, 0, kPiAbove);
}

IntervalValue intervalArctan(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::atan(v); }, x); };
  return clampTo(rising(at(a.lower), at(a.upper)), -kHalfPiAbove, kHalfPiAbove);
}

// arccot falls continuously from pi to 0 over the whole line.
IntervalValue intervalArccot(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return around(arccot(x)); };
  return clampTo(falling(at(a.lower), at(a.upper)), 0, kPiAbove);
}

IntervalValue intervalArcsec(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  return outsideUnitGap(ordered(a), intervalArccos);
}

IntervalValue intervalArccsc(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  return outsideUnitGap(ordered(a), intervalArcsin);
}

IntervalValue intervalSinh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::sinh(v); }, x); };
  return rising(at(a.lower), at(a.upper));
}

IntervalValue intervalCosh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return x == 0 ? exactly(1.0) : around(std::cosh(x)); };
  const Range atLow = at(a.lower);
  const Range atHigh = at(a.upper);
  IntervalValue result;
  if (a.lower >= 0)
    result = rising(atLow, atHigh);
  else if (a.upper <= 0)
    result = falling(atLow, atHigh);
  else
    result = {1, std::max(atLow.high, atHigh.high)};
  return clampTo(result, 1, kInfinity);
}

IntervalValue intervalTanh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::tanh(v); }, x); };
  return clampTo(rising(at(a.lower), at(a.upper)), -1, 1);
}

IntervalValue intervalCoth(IntervalValue a) { return intervalReciprocal(intervalTanh(a)); }
IntervalValue intervalSech(IntervalValue a) { return intervalReciprocal(intervalCosh(a)); }
IntervalValue intervalCsch(IntervalValue a) { return intervalReciprocal(intervalSinh(a)); }

IntervalValue intervalArcsinh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::asinh(v); }, x); };
  return rising(at(a.lower), at(a.upper));
}

IntervalValue intervalArccosh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < 1) return undefinedInterval();
  const auto at = [](double x) { return x == 1 ? exactly(0.0) : around(std::acosh(x)); };
  return clampTo(rising(at(std::max(a.lower, 1.0)), at(a.upper)), 0, kInfinity);
}

IntervalValue intervalArctanh(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < -1 || a.lower > 1) return undefinedInterval();
  const auto at = [](double x) { return zeroAtZero([](double v) { return std::atanh(v); }, x); };
  return rising(at(std::max(a.lower, -1.0)), at(std::min(a.upper, 1.0)));
}

IntervalValue intervalArccoth(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  return outsideUnitGap(ordered(a), intervalArctanh);
}

// acosh(1/x), defined for 0 <= x <= 1 (+inf at 0).
IntervalValue intervalArcsech(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.upper < 0 || a.lower > 1) return undefinedInterval();
  return intervalArccosh(intervalReciprocal({std::max(a.lower, 0.0), std::min(a.upper, 1.0)}));
}

IntervalValue intervalArccsch(IntervalValue a) { return intervalArcsinh(intervalReciprocal(a)); }

IntervalValue intervalFactorial(IntervalValue a) {
  if (isUndefined(a)) return undefinedInterval();
  a = ordered(a);
  if (a.lower == a.upper && a.lower >= 0 && a.lower <= 22 && std::trunc(a.lower) == a.lower)
    return {factorial(a.lower), factorial(a.lower)}; // an exact product
  if (a.lower > -1) {
    // No pole above -1: x! falls to its minimum near 0.4616, then rises.
    const Range atLow = factorialAt(a.lower);
    const Range atHigh = factorialAt(a.upper);
    if (a.upper <= kFactorialMinimumAt) return falling(atLow, atHigh);
    if (a.lower >= kFactorialMinimumAt) return rising(atLow, atHigh);
    return {kFactorialMinimumBound, std::max(atLow.high, atHigh.high)};
  }
  if (a.lower == a.upper) {
    const Range at = factorialAt(a.lower);
    return std::isnan(at.low) ? undefinedInterval() : IntervalValue{at.low, at.high};
  }
  if (a.lower == -1) {
    // The pole is only the left end; x! comes down from +inf there.
    const double low = a.upper <= kFactorialMinimumAt ? factorialAt(a.upper).low : kFactorialMinimumBound;
    return {low, kInfinity};
  }
  // Poles, or the branches of alternating sign between them.
  return wholeLine();
}

IntervalValue intervalLess(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  if (a.upper < b.lower) return truth(true);
  if (a.lower >= b.upper) return truth(false);
  return eitherTruth();
}

IntervalValue intervalGreater(IntervalValue a, IntervalValue b) { return intervalLess(b, a); }

IntervalValue intervalEqual(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  if (a.lower == a.upper && b.lower == b.upper && a.lower == b.lower) return truth(true);
  if (a.upper < b.lower || b.upper < a.lower) return truth(false);
  return eitherTruth();
}

IntervalValue intervalAnd(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  if (surelyZero(a) || surelyZero(b)) return truth(false);
  if (surelyNonzero(a) && surelyNonzero(b)) return truth(true);
  return eitherTruth();
}

IntervalValue intervalOr(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  a = ordered(a);
  b = ordered(b);
  if (surelyNonzero(a) || surelyNonzero(b)) return truth(true);
  if (surelyZero(a) && surelyZero(b)) return truth(false);
  return eitherTruth();
}

IntervalValue intervalAngle(IntervalValue y, IntervalValue x) {
  if (isUndefined(y) || isUndefined(x)) return undefinedInterval();
  y = ordered(y);
  x = ordered(x);
  const IntervalValue allAngles{0, kTwoPiAbove};
  const bool yReachesZero = y.lower <= 0 && y.upper >= 0;
  const bool xReachesZero = x.lower <= 0 && x.upper >= 0;
  // Around the origin every angle occurs; across the positive x axis the angle jumps from 2pi to 0.
  if (yReachesZero && xReachesZero) return allAngles;
  if (y.lower == y.upper && x.lower == x.upper) {
    const Range at = around(angleOf(y.lower, x.lower));
    return clampTo({at.low, at.high}, 0, kTwoPiAbove);
  }
  if (y.lower < 0 && y.upper >= 0 && x.upper > 0) return allAngles;
  // Below the axis the angle tends to 2pi as x grows, but where atan2 underflows (or x is +inf) it
  // gives -0, which reads as 0.
  if (y.upper < 0 && angleOf(y.upper, x.upper) == 0) return allAngles;
  // Elsewhere the angle is continuous over the box, so its extremes lie at the corners.
  return clampTo(enclosingCorners({around(angleOf(y.lower, x.lower)), around(angleOf(y.lower, x.upper)),
                                   around(angleOf(y.upper, x.lower)), around(angleOf(y.upper, x.upper))}),
                 0, kTwoPiAbove);
}

IntervalValue intervalHypot(IntervalValue a, IntervalValue b) {
  if (isUndefined(a) || isUndefined(b)) return undefinedInterval();
  const IntervalValue x = intervalAbs(a);
  const IntervalValue y = intervalAbs(b);
  // hypot grows with |x| and |y| and is at least the larger of them.
  const auto at = [](double p, double q) {
    if (p == 0) return exactly(q);
    if (q == 0) return exactly(p);
    if (std::isinf(p) || std::isinf(q)) return exactly(kInfinity);
    Range r = around(std::hypot(p, q));
    r.low = std::max(r.low, std::max(p, q));
    return r;
  };
  return {at(x.lower, y.lower).low, at(x.upper, y.upper).high};
}

} // namespace vexmar
