#pragma once

// True values of expression trees, computed with MPFR from the trees themselves (not from compiled
// programs), for tests that hold the evaluator to the real functions.

#include "model/math_object.h"

#include <mpfr.h>

#include <optional>

namespace vexmar::test {

/// An MPFR number that frees itself.
class BigFloat {
public:
  explicit BigFloat(mpfr_prec_t bits) { mpfr_init2(value_, bits); }
  ~BigFloat() { mpfr_clear(value_); }
  BigFloat(const BigFloat&) = delete;
  BigFloat& operator=(const BigFloat&) = delete;
  mpfr_ptr get() { return value_; }
  mpfr_srcptr get() const { return value_; }

private:
  mpfr_t value_;
};

/// The value of `tree` at x and y with `bits` bits of precision, as the real functions define it
/// (u = x, v = y, z = 0, other letters as the parameters say); false where it has none: outside a
/// domain, at a pole, or where a comparison or sign cannot be told at this precision.
[[nodiscard]] bool trueValue(const MathObject& tree, double x, double y, mpfr_prec_t bits, BigFloat& result);

/// Where the true value of `tree` at (x, y) lies against [lower, upper]: -1 below, 0 inside, 1
/// above; nothing where it is undefined, or so ill-conditioned that two precisions disagree.
[[nodiscard]] std::optional<int> placeAgainst(const MathObject& tree, double x, double y, double lower,
                                              double upper);

/// The true value rounded to the nearest double, where it is defined and well conditioned.
[[nodiscard]] std::optional<double> nearestTrueValue(const MathObject& tree, double x, double y);

/// How far `computed` lies from `exact`, in units in the last place of `exact` (below the normal
/// range, of the least subnormal).
[[nodiscard]] double ulpsBetween(double computed, const BigFloat& exact);

} // namespace vexmar::test
