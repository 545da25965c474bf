#include "algebra/rewrite_over.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/factor_order.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace vexmar {
using namespace detail;

namespace {

// A negative number or leading coefficient made positive; returns true when there was one.
bool takeNegativeCoefficient(MathObject& o, RewriteContext& context) {
  MathObject* number = leadingNumber(o);
  if (!number || !(valueOf(*number) < 0)) return false;
  setNumber(*number, -valueOf(*number));
  if (&o != number) rewriteObject(o, context); // a coefficient of 1 is dropped
  return true;
}

// Common factors of numerator and denominator with numeric exponents cancel.
bool cancelCommonFactors(MathObject& o, RewriteContext& context) {
  MathObject& numerator = *o.child(0);
  MathObject& denominator = *o.child(1);
  const auto factorsOf = [](MathObject& side) {
    std::vector<MathObject*> list;
    if (side.kind == ObjectKind::times) {
      for (int i = 0; i < side.childCount(); ++i) list.push_back(side.child(i));
    } else {
      list.push_back(&side);
    }
    return list;
  };
  const auto numericExponent = [](const MathObject& f) -> std::optional<double> {
    if (f.kind != ObjectKind::power) return 1.0;
    if (isNumber(f.child(1))) return valueOf(*f.child(1));
    return std::nullopt;
  };
  bool changed = false;
  const std::vector<MathObject*> top = factorsOf(numerator);
  const std::vector<MathObject*> bottom = factorsOf(denominator);
  std::vector<bool> used(bottom.size(), false);
  for (MathObject* f : top) {
    if (isNumber(f) || isNonCommuting(*f)) continue;
    const std::optional<double> ef = numericExponent(*f);
    if (!ef) continue;
    for (std::size_t k = 0; k < bottom.size(); ++k) {
      MathObject* g = bottom[k];
      if (used[k] || isNumber(g) || isNonCommuting(*g) || !sameBase(*f, *g)) continue;
      const std::optional<double> eg = numericExponent(*g);
      if (!eg || !std::isfinite(*ef - *eg)) continue;
      const double difference = *ef - *eg;
      ObjectPtr base = cloneTree(baseOf(*f));
      if (difference > 0) {
        replaceObject(makePower(std::move(base), makeNumber(difference)), *f);
        setNumber(*g, 1);
        rewriteObject(*f, context);
      } else {
        replaceObject(makePower(std::move(base), makeNumber(-difference)), *g);
        setNumber(*f, 1);
        rewriteObject(*g, context);
      }
      used[k] = true;
      changed = true;
      break;
    }
  }
  if (!changed) return false;
  rewriteObject(numerator, context);
  rewriteObject(denominator, context);
  return true;
}

void rewriteOver(MathObject& o, bool cancel, RewriteContext& context) {
  if (o.childCount() != 2) return;
  MathObject& numerator = *o.child(0);
  MathObject& denominator = *o.child(1);
  for (MathObject* side : {&numerator, &denominator}) {
    if (side->kind != ObjectKind::minus || side->childCount() != 1) continue;
    collapseTo(*side, 0);
    wrapInPlace(o, ObjectKind::minus);
    rewriteOver(*o.child(0), cancel, context);
    rewriteObject(o, context);
    return;
  }
  if (isNumber(&numerator) && isNumber(&denominator)) {
    // Numeric fractions keep their sign in the numerator, where sums can fold them.
    double a = valueOf(numerator), b = valueOf(denominator);
    if (b == 0) return;
    if (b < 0) {
      a = -a;
      b = -b;
    }
    if (isExactInteger(a) && isExactInteger(b)) {
      const auto g = static_cast<double>(gcdOf(a, b));
      if (g > 1) {
        a /= g;
        b /= g;
      }
    }
    if (b == 1) {
      setNumber(o, a);
      return;
    }
    if (a != valueOf(numerator)) setNumber(numerator, a);
    if (b != valueOf(denominator)) setNumber(denominator, b);
    return;
  }
  const bool negativeTop = takeNegativeCoefficient(numerator, context);
  const bool negativeBottom = takeNegativeCoefficient(denominator, context);
  if (negativeTop != negativeBottom) {
    wrapInPlace(o, ObjectKind::minus);
    rewriteOver(*o.child(0), cancel, context);
    rewriteObject(o, context);
    return;
  }
  const bool compoundTop = numerator.kind == ObjectKind::over,
             compoundBottom = denominator.kind == ObjectKind::over;
  if (compoundTop || compoundBottom) {
    ObjectPtr top = removeChild(o, 0), bottom = removeChild(o, 0);
    std::vector<ObjectPtr> numerators, denominators;
    for (auto [part, straight] : {std::pair{&top, true}, std::pair{&bottom, false}}) {
      if ((*part)->kind == ObjectKind::over) {
        std::vector<ObjectPtr> p = takeChildren(**part);
        (straight ? numerators : denominators).push_back(std::move(p[0]));
        (straight ? denominators : numerators).push_back(std::move(p[1]));
      } else {
        (straight ? numerators : denominators).push_back(std::move(*part));
      }
    }
    becomeFractionOfProducts(o, std::move(numerators), std::move(denominators), context);
    rewriteOver(o, cancel, context);
    return;
  }
  MathObject* c = leadingNumber(numerator);
  MathObject* d = leadingNumber(denominator);
  if (c && d && isExactInteger(valueOf(*c)) && isExactInteger(valueOf(*d)) && valueOf(*d) != 0) {
    const auto g = static_cast<double>(gcdOf(valueOf(*c), valueOf(*d)));
    if (g > 1) {
      setNumber(*c, valueOf(*c) / g);
      setNumber(*d, valueOf(*d) / g);
      if (c != &numerator) rewriteObject(numerator, context);
      if (d != &denominator) rewriteObject(denominator, context);
    }
  }
  if (cancel && context.options.switches.collectFactors && cancelCommonFactors(o, context)) {
    rewriteOver(o, false, context);
    return;
  }
  if (isNumber(o.child(1), 1)) collapseTo(o, 0);
}

} // namespace

void rewriteFraction(MathObject& o, RewriteContext& context) { rewriteOver(o, true, context); }

} // namespace vexmar
