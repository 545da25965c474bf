#include "algebra/rewrite_times.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/factor_order.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include <cmath>
#include <utility>
#include <vector>

namespace vexmar {
using namespace detail;

namespace {

// Distributes the product over its sum factors (only the first in expand-once mode). Refused,
// leaving the product as it is, when the result would not fit in one object or memory is low.
bool distribute(MathObject& o, RewriteContext& context) {
  const bool once = context.options.expandOnceMode;
  std::vector<int> sums;
  double termCount = 1;
  for (int i = 0; i < o.childCount(); ++i) {
    if (o.child(i)->kind != ObjectKind::plus || o.child(i)->childCount() == 0) continue;
    sums.push_back(i);
    termCount *= o.child(i)->childCount();
    if (once) break;
  }
  if (sums.empty() || memoryIsLow()) return false;
  if (termCount > kMaxChildren) {
    context.refused.tooManyTerms = true;
    return false;
  }
  if (once) context.distributedOnce = true;

  std::vector<int> choice(sums.size(), 0);
  std::vector<ObjectPtr> terms;
  terms.reserve(static_cast<std::size_t>(termCount));
  for (bool done = false; !done;) {
    std::vector<ObjectPtr> factors;
    std::size_t next = 0;
    for (int i = 0; i < o.childCount(); ++i) {
      const bool isChosenSum = next < sums.size() && sums[next] == i;
      factors.push_back(cloneTree(isChosenSum ? *o.child(i)->child(choice[next]) : *o.child(i)));
      if (isChosenSum) ++next;
    }
    terms.push_back(makeNary(ObjectKind::times, std::move(factors)));
    if (memoryIsLow()) return false; // the partial result is dropped; the product stays whole
    // Odometer over the chosen terms, the last sum turning fastest.
    int k = static_cast<int>(sums.size()) - 1;
    for (; k >= 0; --k) {
      const auto at = static_cast<std::size_t>(k);
      if (++choice[at] < o.child(sums[at])->childCount()) break;
      choice[at] = 0;
    }
    done = k < 0;
  }
  replaceObject(makeNary(ObjectKind::plus, std::move(terms)), o);
  for (int i = 0; i < o.childCount(); ++i) {
    if (memoryIsLow()) return true;
    rewriteObject(*o.child(i), context);
  }
  rewriteObject(o, context);
  return true;
}

// (a/b)(c/d) e becomes (a c e)/(b d).
void mergeFractions(MathObject& o, RewriteContext& context) {
  std::vector<ObjectPtr> numerators, denominators;
  for (ObjectPtr& factor : takeChildren(o)) {
    if (factor->kind == ObjectKind::over && factor->childCount() == 2) {
      std::vector<ObjectPtr> parts = takeChildren(*factor);
      numerators.push_back(std::move(parts[0]));
      denominators.push_back(std::move(parts[1]));
    } else {
      numerators.push_back(std::move(factor));
    }
  }
  becomeFractionOfProducts(o, std::move(numerators), std::move(denominators), context);
  rewriteObject(o, context);
}

ObjectPtr exponentOf(const MathObject& o) {
  return o.kind == ObjectKind::power ? cloneTree(*o.child(1)) : makeNumber(1);
}

// Equal factors (or powers of equal bases) become one power; returns true when any merged.
bool collectFactors(MathObject& o, RewriteContext& context) {
  bool merged = false;
  for (int i = 0; i < o.childCount(); ++i) {
    for (int j = i + 1; j < o.childCount();) {
      MathObject& a = *o.child(i);
      MathObject& b = *o.child(j);
      const bool neighboursOnly = isNonCommuting(a) || isNonCommuting(b);
      if ((neighboursOnly && j != i + 1) || isNumber(&a) || isNumber(&b) || !sameBase(a, b)) {
        if (neighboursOnly && j != i + 1) break;
        ++j;
        continue;
      }
      ObjectPtr exponent = makePlus(exponentOf(a), exponentOf(b));
      ObjectPtr power = makePower(cloneTree(baseOf(a)), std::move(exponent));
      removeChild(o, j);
      replaceObject(std::move(power), a);
      rewriteObject(*a.child(1), context);
      rewriteObject(a, context);
      merged = true;
    }
  }
  return merged;
}

} // namespace

void rewriteTimes(MathObject& o, RewriteContext& context) {
  const SimplifySwitches& switches = context.options.switches;
  bool negate = false;
  for (int round = 0;; ++round) {
    for (int i = 0; i < o.childCount();) {
      MathObject& factor = *o.child(i);
      if (factor.kind == ObjectKind::times && factor.childCount() > 0 && flattenChild(o, i)) continue;
      if (factor.kind == ObjectKind::minus && factor.childCount() == 1) {
        negate = !negate;
        collapseTo(factor, 0);
        continue; // look at the unsigned factor again
      }
      if (isNumber(&factor) && i > 0) {
        if (!isNumber(o.child(0))) {
          insertChild(o, 0, removeChild(o, i));
          ++i;
          continue;
        }
        const double product = valueOf(*o.child(0)) * valueOf(factor);
        if (std::isfinite(product)) {
          setNumber(*o.child(0), product);
          removeChild(o, i);
          continue;
        }
      }
      ++i;
    }
    if (context.expands() && distribute(o, context)) break;
    if (!context.options.keepProductsMode && o.childCount() > 1) {
      bool hasFraction = false;
      for (int i = 0; i < o.childCount(); ++i) hasFraction |= o.child(i)->kind == ObjectKind::over;
      if (hasFraction) {
        mergeFractions(o, context);
        break;
      }
    }
    if (o.childCount() == 0) {
      setNumber(o, 1);
      break;
    }
    if (isNumber(o.child(0), 0)) {
      setNumber(o, 0);
      return; // the sign of zero does not matter
    }
    if (isNumber(o.child(0), 1) && o.childCount() > 1) removeChild(o, 0);
    if (o.childCount() == 1) {
      collapseTo(o, 0);
      break;
    }
    if (switches.sortFactors) sortFactors(o);
    // A merge can leave a number or a product among the factors: go round once more.
    if (!switches.collectFactors || round > 0 || !collectFactors(o, context)) break;
    if (o.kind != ObjectKind::times) break;
  }
  if (negate) {
    wrapInPlace(o, ObjectKind::minus);
    rewriteObject(o, context);
  }
}

} // namespace vexmar
