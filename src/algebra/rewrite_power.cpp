#include "algebra/rewrite_power.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/factor_order.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "numeric/literal_rational.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace vexmar {
using namespace detail;

namespace {

// (t1 + rest)^n with binomial coefficients; the powers of the rest expand in turn.
void expandBinomial(MathObject& o, int n, RewriteContext& context) {
  MathObject& base = *o.child(0);
  ObjectPtr first = removeChild(base, 0);
  ObjectPtr rest = base.childCount() == 1 ? removeChild(base, 0) : removeChild(o, 0);
  std::vector<ObjectPtr> terms;
  std::uint64_t coefficient = 1;
  for (int k = 0; k <= n; ++k) {
    terms.push_back(makeTimes(makeNumber(static_cast<double>(coefficient)),
                              makePower(cloneTree(*first), makeNumber(n - k)),
                              makePower(cloneTree(*rest), makeNumber(k))));
    // C(n, k + 1) = C(n, k) (n - k) / (k + 1), exact in integers; below 2^32 for n < 24.
    coefficient = coefficient * static_cast<std::uint64_t>(n - k) / static_cast<std::uint64_t>(k + 1);
  }
  replaceObject(makeNary(ObjectKind::plus, std::move(terms)), o);
  rewriteBottomUp(o, context);
}

void raiseEachPart(MathObject& o, ObjectKind partsKind, RewriteContext& context) {
  MathObject& base = *o.child(0);
  const MathObject& exponent = *o.child(1);
  std::vector<ObjectPtr> parts = takeChildren(base);
  for (ObjectPtr& part : parts) part = makePower(std::move(part), cloneTree(exponent));
  replaceObject(makeNary(partsKind, std::move(parts)), o);
  for (int i = 0; i < o.childCount(); ++i) rewriteObject(*o.child(i), context);
  rewriteObject(o, context);
}

// `o` = b^e becomes (-1)^e a^e, where a = -b, each part rewritten.
void splitSignFromBase(MathObject& o, ObjectPtr magnitude, ObjectPtr exponent, RewriteContext& context) {
  ObjectPtr sign = makePower(makeNumber(-1), cloneTree(*exponent));
  replaceObject(makeTimes(std::move(sign), makePower(std::move(magnitude), std::move(exponent))), o);
  rewriteObject(*o.child(0), context);
  rewriteObject(*o.child(1), context);
  rewriteObject(o, context);
}

// The numerator's parity when the exponent is a literal fraction p/q whose lowest terms have
// an odd q > 1: the evaluator takes such powers as real below zero ((-8)^(1/3) is -2), so the
// sign of a negative base can be split off. Empty for any other exponent.
std::optional<bool> oddRootNumeratorIsOdd(const MathObject& exponent) {
  const std::optional<Rational> e = literalRational(exponent);
  if (!e || e->q == 1 || e->q % 2 == 0) return std::nullopt;
  return e->p % 2 != 0;
}

bool isMinusOne(const MathObject& o) {
  return isNumber(&o, -1) || (o.kind == ObjectKind::minus && o.childCount() == 1 && isNumber(o.child(0), 1));
}

} // namespace

void rewritePower(MathObject& o, RewriteContext& context) {
  if (o.childCount() != 2) return;
  MathObject& base = *o.child(0);
  MathObject& exponent = *o.child(1);
  const bool integralExponent = isIntegerNumber(&exponent);
  if (isNumber(&exponent)) {
    const double e = valueOf(exponent);
    if (e == 1) return collapseTo(o, 0);
    if (e == 0) return setNumber(o, 1);
    if (isNumber(&base) && integralExponent && (e > 0 || valueOf(base) == -1)) {
      const double b = valueOf(base);
      const double value = b == -1 ? (isEvenInteger(e) ? 1 : -1) : std::pow(b, e);
      if (std::isfinite(value) && (!isExactInteger(b) || std::fabs(value) <= kExactLimit))
        return setNumber(o, value);
    }
    if (context.expands() && base.kind == ObjectKind::plus && base.childCount() >= 2 && integralExponent &&
        e > 1) {
      if (e <= kLargestExpandedPower) return expandBinomial(o, static_cast<int>(e), context);
      context.refused.powerTooHigh = true;
    }
    static const std::uint16_t kIota = greekCode("iota");
    if (isPlainLetter(&base, kIota) && integralExponent) {
      const double turn = e - 4 * std::floor(e / 4);
      if (turn == 0) return setNumber(o, 1);
      if (turn == 2) return setNumber(o, -1);
      collapseTo(o, 0);
      if (turn == 3) wrapInPlace(o, ObjectKind::minus);
      return;
    }
  }
  // b^(1/n) with an exact root, as the sign split of a negative base leaves 4^(1/2).
  if (isNumber(&base) && exponent.kind == ObjectKind::over && exponent.childCount() == 2 &&
      isNumber(exponent.child(0), 1) && isIntegerNumber(exponent.child(1)) && valueOf(base) >= 0) {
    if (const auto root = exactRoot(valueOf(base), valueOf(*exponent.child(1)))) return setNumber(o, *root);
  }
  const std::optional<bool> oddRoot = oddRootNumeratorIsOdd(exponent);
  if (oddRoot && isMinusOne(base)) return setNumber(o, *oddRoot ? -1 : 1);
  // An odd root splits off a sign and multiplies into an inner integral or odd-root exponent:
  // (-x)^(1/3) = -x^(1/3), (x^3)^(1/3) = x, whatever the sign of x.
  if (oddRoot && base.kind == ObjectKind::minus && base.childCount() == 1) {
    ObjectPtr e = removeChild(o, 1);
    return splitSignFromBase(o, removeChild(*o.child(0), 0), std::move(e), context);
  }
  const bool oddRootOfPower = oddRoot && base.kind == ObjectKind::power && base.childCount() == 2 &&
                              (isIntegerNumber(base.child(1)) || oddRootNumeratorIsOdd(*base.child(1)));
  // Splitting a power over a product, a quotient or a sign, or multiplying nested exponents,
  // keeps the value only for integral exponents: (x^2)^(1/2) is |x|, not x.
  if (integralExponent || oddRootOfPower) {
    if (base.kind == ObjectKind::times && base.childCount() > 0) {
      bool commuting = true;
      for (int i = 0; i < base.childCount(); ++i) commuting &= !isNonCommuting(*base.child(i));
      if (commuting) return raiseEachPart(o, ObjectKind::times, context);
    }
    if (base.kind == ObjectKind::over && base.childCount() == 2)
      return raiseEachPart(o, ObjectKind::over, context);
    if (base.kind == ObjectKind::power && base.childCount() == 2) {
      ObjectPtr outer = removeChild(o, 1);
      MathObject& inner = *o.child(0);
      ObjectPtr product = makeTimes(removeChild(inner, 1), std::move(outer));
      ObjectPtr innerBase = removeChild(inner, 0);
      replaceObject(makePower(std::move(innerBase), std::move(product)), o);
      rewriteObject(*o.child(1), context);
      return rewriteObject(o, context);
    }
    if (base.kind == ObjectKind::minus && base.childCount() == 1) {
      ObjectPtr e = removeChild(o, 1);
      return splitSignFromBase(o, removeChild(*o.child(0), 0), std::move(e), context);
    }
  }
  if (isNumber(&base, 1)) return setNumber(o, 1);
  if (isNumber(&base, 0) && isNumber(&exponent) && valueOf(exponent) > 0) return setNumber(o, 0);
  // (-b)^e = (-1)^e b^e holds for a positive number b whatever e is.
  if (isNumber(&base) && valueOf(base) < 0 && valueOf(base) != -1)
    splitSignFromBase(o, makeNumber(-valueOf(base)), removeChild(o, 1), context);
}

} // namespace vexmar
