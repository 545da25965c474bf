#pragma once

// Directed rounding for interval arithmetic. An interval evaluation switches the unit to round
// upward once, so that every upper bound is one plain operation and every lower bound one
// operation on negated operands: x + y rounded down is -((-x) - y) rounded up. Library functions
// are called in the caller's rounding, as the point machine calls them, and their results widened
// by the error bounds in library_error_bounds.h.
//
// The code using this is compiled with -frounding-math; values that cross a change of rounding
// are pinned with asm barriers, so that the compiler cannot move their arithmetic across it.

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <xmmintrin.h>
#else
#include <cfenv>
#endif

namespace vexmar::detail {

/// Makes `value` a definite result at this point of the program: arithmetic producing it is not
/// moved below, nor arithmetic using it above.
inline void pin(double& value) {
#if defined(__x86_64__) || defined(__i386__)
  asm volatile("" : "+x"(value));
#else
  asm volatile("" : "+m"(value));
#endif
}
inline void pin(double& first, double& second) {
  pin(first);
  pin(second);
}

// The rounding in force, told by arithmetic: 1 + tiny rounds above 1 only upward, -1 - tiny below
// -1 only downward, 1 - tiny below 1 downward or toward zero. Unlike reading the control register,
// this need not wait for every floating-point operation in flight.
enum RoundingSeen { kSeenNearest = 0, kSeenUpward = 1, kSeenDownward = 6, kSeenTowardZero = 4 };
inline int roundingSeen() {
  double one = 1.0, tiny = 0x1p-60;
  pin(one, tiny); // not known to the compiler, so computed here, in the rounding in force
  return (one + tiny > 1.0) | ((-one - tiny < -1.0) << 1) | ((one - tiny < 1.0) << 2);
}

#if defined(__SSE2__)
using RoundingControl = std::uint32_t;
inline constexpr RoundingControl kRoundingBits = 0x6000;
inline constexpr RoundingControl kRoundUpward = 0x4000;
inline RoundingControl upwardOf(RoundingControl caller) { return (caller & ~kRoundingBits) | kRoundUpward; }
inline constexpr int kSeenUnder[] = {kSeenNearest, kSeenDownward, kSeenUpward, kSeenTowardZero};
inline int roundingSeenUnder(RoundingControl control) { return kSeenUnder[(control & kRoundingBits) >> 13]; }

/// The control register as last read. Reading it waits for the floating-point work in flight, so
/// it is read again only when the rounding seen differs from the one it holds; the rest of it
/// (exception masks, flush to zero) is taken to stay as it was.
inline RoundingControl lastReadControl = 0;

inline RoundingControl readRounding() {
  if (lastReadControl == 0 || roundingSeenUnder(lastReadControl) != roundingSeen())
    lastReadControl = _mm_getcsr();
  return lastReadControl;
}
#else
using RoundingControl = int;
inline RoundingControl readRounding() { return std::fegetround(); }
inline RoundingControl upwardOf(RoundingControl) { return FE_UPWARD; }
#endif

/// Sets the rounding control, after `value` is computed and before anything using it.
inline void switchRounding(RoundingControl control, double& value) {
#if defined(__SSE2__)
  asm volatile("ldmxcsr %1" : "+x"(value) : "m"(control) : "memory");
#else
  pin(value);
  std::fesetround(control);
  pin(value);
#endif
}

/// The caller's rounding, while an interval evaluation runs in upward rounding: library functions
/// are called in it. Written only by UpwardRounding.
inline RoundingControl callerRounding = 0;

/// While alive, the unit rounds upward; the caller's rounding is restored after.
class UpwardRounding {
public:
  UpwardRounding() : outer_(callerRounding) {
    callerRounding = readRounding();
    upward_ = upwardOf(callerRounding);
    double none = 0;
    switchRounding(upward_, none);
  }
  ~UpwardRounding() {
    double none = 0;
    switchRounding(callerRounding, none);
    callerRounding = outer_;
  }
  UpwardRounding(const UpwardRounding&) = delete;
  UpwardRounding& operator=(const UpwardRounding&) = delete;

private:
  RoundingControl outer_;
  RoundingControl upward_;
};

/// f(x) in the caller's rounding, from inside upward rounding.
template <typename F> inline double inCallerRounding(F f, double x) {
  const RoundingControl upward = upwardOf(callerRounding);
  switchRounding(callerRounding, x);
  double r = f(x);
  switchRounding(upward, r);
  return r;
}

/// f at both x and y, replacing them, with one change of rounding for the two.
template <typename F> inline void bothInCallerRounding(F f, double& x, double& y) {
  const RoundingControl upward = upwardOf(callerRounding);
  pin(y);
  switchRounding(callerRounding, x);
  x = f(x);
  y = f(y);
  pin(y);
  switchRounding(upward, x);
}

template <typename F> inline double inCallerRounding(F f, double x, double y) {
  const RoundingControl upward = upwardOf(callerRounding);
  pin(y);
  switchRounding(callerRounding, x);
  double r = f(x, y);
  switchRounding(upward, r);
  return r;
}

// Bounds in upward rounding: the upper bound is the plain operation, the lower one the negated
// operation on a negated operand.
inline double downSum(double x, double y) { return -((-x) - y); }
inline double downProduct(double x, double y) { return -((-x) * y); }
inline double downQuotient(double x, double y) { return -((-x) / y); }

/// The next double below a finite positive x (or 0 for the least positive one).
inline double belowPositive(double x) { return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) - 1); }

/// sqrt(x) rounded down, for x >= 0.
inline double downSqrt(double x) {
  const double r = std::sqrt(x); // rounded up
  if (r == 0 || r == std::numeric_limits<double>::infinity()) return r;
  // r*r == x exactly when its upward and downward roundings both give x.
  if (r * r == x && downProduct(r, r) == x) return r;
  return belowPositive(r);
}

/// Bounds of a value.
struct Bounds {
  double low;
  double high;
};

/// Bounds of the true value of a library result `r` whose error is at most `ulps` units in the last
/// place. An infinite r may stand for a finite value beyond the largest double.
inline Bounds widened(double r, int ulps) {
  if (!(std::fabs(r) <= DBL_MAX)) {
    if (r != r) return {r, r};
    const double largest = DBL_MAX - ulps * 0x1p971; // DBL_MAX less `ulps` of its units
    return r > 0 ? Bounds{largest, r} : Bounds{r, -largest};
  }
  // One unit in the last place is at most |r| 2^-52 (below the normal range, 2^-1074).
  const double room = std::fabs(r) * (ulps * 0x1p-52) + ulps * 0x1p-1074;
  return {downSum(r, -room), r + room};
}

} // namespace vexmar::detail
