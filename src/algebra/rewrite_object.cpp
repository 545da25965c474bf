// The one-object rewrite step of Simplify and Expand, one rule function per kind.
#include "algebra/simplify.h"

#include "algebra/factor_order.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"
#include "model/memory_reserve.h"
#include "numeric/real_functions.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

// Doubles hold every integer up to here exactly; folding beyond it would lose digits.
constexpr double kExactLimit = Constant::TwoTo53;
// (a + b)^n is multiplied out only for 1 < n < this.
constexpr double kBinomialLimit = 24;

double valueOf(const MathObject& o) { return o.number->value; }
bool isExactInteger(double v) {
  return std::isfinite(v) && std::floor(v) == v && std::fabs(v) <= kExactLimit;
}
bool isIntegerNumber(const MathObject* o) { return isNumber(o) && isExactInteger(valueOf(*o)); }

// A search of the table by name: callers keep the result in a static.
std::uint16_t greekCode(const char* name) { return specialCharacterByName(name).value_or(0); }

bool memoryIsLow() { return memoryReserve().isLow(); }

// A fresh `num` so that the typesetter fills its display text from the new value; -0 is 0.
void setNumber(MathObject& o, double value) { replaceObject(makeNumber(value == 0 ? 0.0 : value), o); }

// Replaces `o` by its child i (the record of `o` stays in place).
void collapseTo(MathObject& o, int i) { replaceObject(removeChild(o, i), o); }

std::vector<ObjectPtr> takeChildren(MathObject& o) {
  std::vector<ObjectPtr> taken = std::move(o.children);
  o.children.clear();
  for (ObjectPtr& c : taken) {
    c->parent = nullptr;
    c->indexInParent = 0;
  }
  return taken;
}

ObjectPtr makeNary(ObjectKind kind, std::vector<ObjectPtr> children) {
  ObjectPtr node = makeObject(kind, static_cast<int>(children.size()));
  for (std::size_t i = 0; i < children.size(); ++i)
    setChild(*node, static_cast<int>(i), std::move(children[i]));
  return node;
}

// A product of the factors, or the factor itself when there is only one.
ObjectPtr makeProduct(std::vector<ObjectPtr> factors) {
  if (factors.empty()) return makeNumber(1);
  if (factors.size() == 1) return std::move(factors.front());
  return makeNary(ObjectKind::times, std::move(factors));
}

// Moves o's content into a new object of its own kind and makes `o` a `kind` of that object.
void wrapInPlace(MathObject& o, ObjectKind kind) {
  ObjectPtr inner = makeObject(o.kind);
  std::vector<ObjectPtr> children = takeChildren(o);
  inner->number = std::move(o.number);
  inner->text = std::move(o.text);
  inner->payloadA = o.payloadA;
  inner->payloadB = o.payloadB;
  inner->decoration = o.decoration;
  for (ObjectPtr& c : children) appendChild(*inner, std::move(c));
  replaceObject(makeObject(kind, std::move(inner)), o);
}

std::uint64_t gcdOf(double a, double b) {
  return std::gcd(static_cast<std::uint64_t>(std::fabs(a)), static_cast<std::uint64_t>(std::fabs(b)));
}

// The number leading a term or factor list: the object itself or the first factor of a product.
MathObject* leadingNumber(MathObject& o) {
  if (isNumber(&o)) return &o;
  if (o.kind == ObjectKind::times && o.childCount() >= 2 && isNumber(o.child(0))) return o.child(0);
  return nullptr;
}

std::optional<double> exactRoot(double v, double k);

const MathObject& baseOf(const MathObject& o) { return o.kind == ObjectKind::power ? *o.child(0) : o; }

// ---- times ----------------------------------------------------------------------------------

// Distributes the product over its sum factors (only the first in expand-once mode). Refused,
// leaving the product as it is, when the result would not fit in one object or memory is low.
bool distribute(MathObject& o) {
  SimplifySwitches& switches = simplifySwitches();
  std::vector<int> sums;
  double termCount = 1;
  for (int i = 0; i < o.childCount(); ++i) {
    if (o.child(i)->kind != ObjectKind::plus || o.child(i)->childCount() == 0) continue;
    sums.push_back(i);
    termCount *= o.child(i)->childCount();
    if (switches.expandOnceMode) break;
  }
  if (sums.empty() || termCount > kMaxChildren || memoryIsLow()) return false;
  if (switches.expandOnceMode) switches.expandMode = false;

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
    rewriteObject(*o.child(i));
  }
  rewriteObject(o);
  return true;
}

// `o` becomes the fraction of the two products, each rewritten.
void becomeFractionOfProducts(MathObject& o, std::vector<ObjectPtr> numerators,
                              std::vector<ObjectPtr> denominators) {
  replaceObject(makeOver(makeProduct(std::move(numerators)), makeProduct(std::move(denominators))), o);
  rewriteObject(*o.child(0));
  rewriteObject(*o.child(1));
}

// (a/b)(c/d) e becomes (a c e)/(b d).
void mergeFractions(MathObject& o) {
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
  becomeFractionOfProducts(o, std::move(numerators), std::move(denominators));
  rewriteObject(o);
}

bool sameBase(const MathObject& a, const MathObject& b) { return treeEqual(baseOf(a), baseOf(b)); }

ObjectPtr exponentOf(const MathObject& o) {
  return o.kind == ObjectKind::power ? cloneTree(*o.child(1)) : makeNumber(1);
}

// Equal factors (or powers of equal bases) become one power; returns true when any merged.
bool collectFactors(MathObject& o) {
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
      rewriteObject(*a.child(1));
      rewriteObject(a);
      merged = true;
    }
  }
  return merged;
}

void rewriteTimes(MathObject& o) {
  const SimplifySwitches& switches = simplifySwitches();
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
    if (switches.expandMode && distribute(o)) break;
    if (!switches.keepProductsMode && o.childCount() > 1) {
      bool hasFraction = false;
      for (int i = 0; i < o.childCount(); ++i) hasFraction |= o.child(i)->kind == ObjectKind::over;
      if (hasFraction) {
        mergeFractions(o);
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
    if (!switches.collectFactors || round > 0 || !collectFactors(o)) break;
    if (o.kind != ObjectKind::times) break;
  }
  if (negate) {
    wrapInPlace(o, ObjectKind::minus);
    rewriteObject(o);
  }
}

// ---- plus -----------------------------------------------------------------------------------

bool isNumberFraction(const MathObject* o) {
  return o && o->kind == ObjectKind::over && o->childCount() == 2 && isNumber(o->child(0)) &&
         isNumber(o->child(1)) && valueOf(*o->child(1)) != 0;
}

// A term as coefficient times a list of factors: 3xy is 3 and [x, y]; -x is -1 and [x].
struct TermParts {
  double coefficient = 1;
  const MathObject* node = nullptr; // the factors are node's children from `first`, or node itself
  int first = -1;

  [[nodiscard]] int count() const { return first < 0 ? 1 : node->childCount() - first; }
  [[nodiscard]] const MathObject& factor(int k) const { return first < 0 ? *node : *node->child(first + k); }
};

TermParts splitTerm(const MathObject& term) {
  TermParts parts;
  const MathObject* t = &term;
  if (t->kind == ObjectKind::minus && t->childCount() == 1) {
    parts.coefficient = -1;
    t = t->child(0);
  }
  parts.node = t;
  if (t->kind == ObjectKind::times && t->childCount() >= 2 && isNumber(t->child(0))) {
    parts.coefficient *= valueOf(*t->child(0));
    if (t->childCount() == 2) {
      parts.node = t->child(1);
    } else {
      parts.first = 1;
    }
  } else if (t->kind == ObjectKind::times) {
    parts.first = 0;
  }
  return parts;
}

bool likeTerms(const TermParts& a, const TermParts& b) {
  if (a.count() != b.count()) return false;
  for (int k = 0; k < a.count(); ++k)
    if (!treeEqual(a.factor(k), b.factor(k))) return false;
  return true;
}

// A cheap fingerprint of a term's factors so that most unlike pairs skip the full comparison.
std::size_t termFingerprint(const TermParts& parts) {
  std::size_t hash = static_cast<std::size_t>(parts.count());
  for (int k = 0; k < parts.count(); ++k) {
    const MathObject& f = parts.factor(k);
    for (const MathObject* n = &f; n; n = nextPreorder(n, f)) {
      std::size_t word = static_cast<std::size_t>(n->kind) * 31u + static_cast<std::size_t>(n->childCount());
      if (n->kind == ObjectKind::char_ || n->kind == ObjectKind::dummy)
        word = word * 131u + static_cast<std::size_t>(n->payloadA) * 7u + (n->decoration & 0xFFFF);
      if (isNumber(n)) word = word * 131u + std::hash<double>{}(valueOf(*n));
      hash = hash * 1000003u ^ word;
    }
  }
  return hash;
}

ObjectPtr makeTermWithCoefficient(double coefficient, const TermParts& parts) {
  std::vector<ObjectPtr> factors;
  for (int k = 0; k < parts.count(); ++k) factors.push_back(cloneTree(parts.factor(k)));
  if (coefficient == -1) return makeNegation(makeProduct(std::move(factors)));
  factors.insert(factors.begin(), makeNumber(coefficient));
  return makeNary(ObjectKind::times, std::move(factors));
}

// Like terms merge into one with the summed coefficient; returns true when any merged.
bool collectTerms(MathObject& o) {
  std::vector<std::size_t> fingerprints;
  fingerprints.reserve(static_cast<std::size_t>(o.childCount()));
  for (int i = 0; i < o.childCount(); ++i) fingerprints.push_back(termFingerprint(splitTerm(*o.child(i))));
  bool merged = false;
  for (int i = 0; i < o.childCount(); ++i) {
    if (isNumber(o.child(i))) continue;
    for (int j = i + 1; j < o.childCount();) {
      const auto fi = static_cast<std::size_t>(i), fj = static_cast<std::size_t>(j);
      if (fingerprints[fi] != fingerprints[fj]) {
        ++j;
        continue;
      }
      const TermParts a = splitTerm(*o.child(i));
      const TermParts b = splitTerm(*o.child(j));
      const double sum = a.coefficient + b.coefficient;
      if (!likeTerms(a, b) || !std::isfinite(sum)) {
        ++j;
        continue;
      }
      ObjectPtr term = sum == 0 ? makeNumber(0) : makeTermWithCoefficient(sum, a);
      removeChild(o, j);
      fingerprints.erase(fingerprints.begin() + j);
      replaceObject(std::move(term), *o.child(i));
      rewriteObject(*o.child(i));
      fingerprints[fi] = termFingerprint(splitTerm(*o.child(i)));
      merged = true;
      if (isNumber(o.child(i))) break;
    }
  }
  return merged;
}

// a/b + c/d and its mixed forms over one denominator.
ObjectPtr combineOverOneDenominator(ObjectPtr left, ObjectPtr right) {
  const auto parts = [](ObjectPtr term) {
    std::pair<ObjectPtr, ObjectPtr> result;
    if (term->kind == ObjectKind::over) {
      std::vector<ObjectPtr> p = takeChildren(*term);
      result = {std::move(p[0]), std::move(p[1])};
    } else {
      result = {std::move(term), nullptr};
    }
    return result;
  };
  auto [a, b] = parts(std::move(left));
  auto [c, d] = parts(std::move(right));
  // Copies are taken before the originals move: the order arguments are evaluated in is not fixed.
  if (b && d && treeEqual(*b, *d)) return makeOver(makePlus(std::move(a), std::move(c)), std::move(b));
  if (!b) {
    ObjectPtr numerator = makePlus(makeTimes(std::move(a), cloneTree(*d)), std::move(c));
    return makeOver(std::move(numerator), std::move(d));
  }
  if (!d) {
    ObjectPtr numerator = makePlus(std::move(a), makeTimes(std::move(c), cloneTree(*b)));
    return makeOver(std::move(numerator), std::move(b));
  }
  ObjectPtr numerator =
      makePlus(makeTimes(std::move(a), cloneTree(*d)), makeTimes(std::move(c), cloneTree(*b)));
  return makeOver(std::move(numerator), makeTimes(std::move(b), std::move(d)));
}

// -(a/b) inside a sum becomes (-a)/b so that it can join a common denominator.
void moveSignIntoFraction(MathObject& term) {
  if (term.kind != ObjectKind::minus || term.childCount() != 1 || term.child(0)->kind != ObjectKind::over)
    return;
  collapseTo(term, 0);
  wrapInPlace(*term.child(0), ObjectKind::minus);
}

void compactFractions(MathObject& o) {
  for (int i = 0; i + 1 < o.childCount();) {
    if (memoryIsLow()) return;
    moveSignIntoFraction(*o.child(i));
    moveSignIntoFraction(*o.child(i + 1));
    if (o.child(i)->kind != ObjectKind::over && o.child(i + 1)->kind != ObjectKind::over) {
      ++i;
      continue;
    }
    ObjectPtr right = removeChild(o, i + 1);
    ObjectPtr left = removeChild(o, i);
    insertChild(o, i, combineOverOneDenominator(std::move(left), std::move(right)));
    rewriteBottomUp(*o.child(i));
  }
}

void foldNumberTermsOnce(MathObject& o);

void foldNumberTerms(MathObject& o) {
  // Two sweeps: a fraction ahead of a number meets it only once the number has moved last.
  for (int sweep = 0; sweep < 2; ++sweep) foldNumberTermsOnce(o);
  if (o.childCount() > 1 && isNumber(o.lastChild(), 0)) removeChild(o, o.childCount() - 1);
}

void foldNumberTermsOnce(MathObject& o) {
  for (int i = 0; i < o.childCount();) {
    MathObject& term = *o.child(i);
    const bool last = i == o.childCount() - 1;
    if (term.kind == ObjectKind::plus && term.childCount() > 0 && flattenChild(o, i)) continue;
    if (!last && isNumber(&term)) {
      MathObject& end = *o.lastChild();
      if (!isNumber(&end)) {
        appendChild(o, removeChild(o, i));
        continue;
      }
      const double sum = valueOf(end) + valueOf(term);
      if (std::isfinite(sum)) {
        setNumber(end, sum);
        removeChild(o, i);
        continue;
      }
    }
    if (!last && isNumberFraction(&term)) {
      MathObject& end = *o.lastChild();
      const double a = valueOf(*term.child(0)), b = valueOf(*term.child(1));
      std::optional<std::pair<double, double>> combined;
      if (isNumber(&end)) combined = std::make_pair(a + valueOf(end) * b, b);
      if (isNumberFraction(&end)) {
        const double c = valueOf(*end.child(0)), d = valueOf(*end.child(1));
        combined = std::make_pair(a * d + c * b, b * d);
      }
      if (combined && std::isfinite(combined->first) && std::isfinite(combined->second)) {
        replaceObject(makeOver(makeNumber(combined->first), makeNumber(combined->second)), end);
        rewriteObject(end);
        removeChild(o, i);
        continue;
      }
    }
    ++i;
  }
}

void rewritePlus(MathObject& o) {
  const SimplifySwitches& switches = simplifySwitches();
  bool collect = switches.collectTerms;
  for (;;) {
    if (o.childCount() == 1) {
      collapseTo(o, 0);
      return;
    }
    foldNumberTerms(o);
    if (switches.compactFractionsMode) compactFractions(o);
    if (o.childCount() == 1) {
      collapseTo(o, 0);
      return;
    }
    if (!collect || !collectTerms(o)) return;
    collect = false; // once more to fold what collection left, without collecting again
  }
}

// ---- minus, over, power ---------------------------------------------------------------------

void rewriteMinus(MathObject& o) {
  MathObject& inner = *o.child(0);
  if (isNumber(&inner)) {
    setNumber(o, -valueOf(inner));
  } else if (inner.kind == ObjectKind::times && inner.childCount() >= 1 && isNumber(inner.child(0))) {
    setNumber(*inner.child(0), -valueOf(*inner.child(0)));
    collapseTo(o, 0);
    rewriteObject(o);
  } else if (inner.kind == ObjectKind::plus) {
    for (int i = 0; i < inner.childCount(); ++i) {
      wrapInPlace(*inner.child(i), ObjectKind::minus);
      rewriteObject(*inner.child(i));
    }
    collapseTo(o, 0);
    rewriteObject(o);
  } else if (inner.kind == ObjectKind::minus && inner.childCount() == 1) {
    replaceObject(removeChild(inner, 0), o);
  } else if (inner.kind == ObjectKind::over && inner.childCount() == 2 && isNumber(inner.child(0)) &&
             isNumber(inner.child(1))) {
    setNumber(*inner.child(0), -valueOf(*inner.child(0)));
    collapseTo(o, 0);
  }
}

// A negative number or leading coefficient made positive; returns true when there was one.
bool takeNegativeCoefficient(MathObject& o) {
  MathObject* number = leadingNumber(o);
  if (!number || !(valueOf(*number) < 0)) return false;
  setNumber(*number, -valueOf(*number));
  if (&o != number) rewriteObject(o); // a coefficient of 1 is dropped
  return true;
}

// Common factors of numerator and denominator with numeric exponents cancel.
bool cancelCommonFactors(MathObject& o) {
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
        rewriteObject(*f);
      } else {
        replaceObject(makePower(std::move(base), makeNumber(-difference)), *g);
        setNumber(*f, 1);
        rewriteObject(*g);
      }
      used[k] = true;
      changed = true;
      break;
    }
  }
  if (!changed) return false;
  rewriteObject(numerator);
  rewriteObject(denominator);
  return true;
}

void rewriteOver(MathObject& o, bool cancel) {
  if (o.childCount() != 2) return;
  MathObject& numerator = *o.child(0);
  MathObject& denominator = *o.child(1);
  for (MathObject* side : {&numerator, &denominator}) {
    if (side->kind != ObjectKind::minus || side->childCount() != 1) continue;
    collapseTo(*side, 0);
    wrapInPlace(o, ObjectKind::minus);
    rewriteOver(*o.child(0), cancel);
    rewriteObject(o);
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
  const bool negativeTop = takeNegativeCoefficient(numerator);
  const bool negativeBottom = takeNegativeCoefficient(denominator);
  if (negativeTop != negativeBottom) {
    wrapInPlace(o, ObjectKind::minus);
    rewriteOver(*o.child(0), cancel);
    rewriteObject(o);
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
    becomeFractionOfProducts(o, std::move(numerators), std::move(denominators));
    rewriteOver(o, cancel);
    return;
  }
  MathObject* c = leadingNumber(numerator);
  MathObject* d = leadingNumber(denominator);
  if (c && d && isExactInteger(valueOf(*c)) && isExactInteger(valueOf(*d)) && valueOf(*d) != 0) {
    const auto g = static_cast<double>(gcdOf(valueOf(*c), valueOf(*d)));
    if (g > 1) {
      setNumber(*c, valueOf(*c) / g);
      setNumber(*d, valueOf(*d) / g);
      if (c != &numerator) rewriteObject(numerator);
      if (d != &denominator) rewriteObject(denominator);
    }
  }
  if (cancel && simplifySwitches().collectFactors && cancelCommonFactors(o)) {
    rewriteOver(o, false);
    return;
  }
  if (isNumber(o.child(1), 1)) collapseTo(o, 0);
}

void rewriteFraction(MathObject& o) { rewriteOver(o, true); }

// (t1 + rest)^n with binomial coefficients; the powers of the rest expand in turn.
void expandBinomial(MathObject& o, int n) {
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
  rewriteBottomUp(o);
}

void raiseEachPart(MathObject& o, ObjectKind partsKind) {
  MathObject& base = *o.child(0);
  const MathObject& exponent = *o.child(1);
  std::vector<ObjectPtr> parts = takeChildren(base);
  for (ObjectPtr& part : parts) part = makePower(std::move(part), cloneTree(exponent));
  replaceObject(makeNary(partsKind, std::move(parts)), o);
  for (int i = 0; i < o.childCount(); ++i) rewriteObject(*o.child(i));
  rewriteObject(o);
}

// `o` = b^e becomes (-1)^e a^e, where a = -b, each part rewritten.
void splitSignFromBase(MathObject& o, ObjectPtr magnitude, ObjectPtr exponent) {
  ObjectPtr sign = makePower(makeNumber(-1), cloneTree(*exponent));
  replaceObject(makeTimes(std::move(sign), makePower(std::move(magnitude), std::move(exponent))), o);
  rewriteObject(*o.child(0));
  rewriteObject(*o.child(1));
  rewriteObject(o);
}

void rewritePower(MathObject& o) {
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
    if (simplifySwitches().expandMode && base.kind == ObjectKind::plus && base.childCount() >= 2 &&
        integralExponent && e > 1 && e < kBinomialLimit)
      return expandBinomial(o, static_cast<int>(e));
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
  // Splitting a power over a product, a quotient or a sign, or multiplying nested exponents,
  // keeps the value only for integral exponents: (x^2)^(1/2) is |x|, not x.
  if (integralExponent) {
    if (base.kind == ObjectKind::times && base.childCount() > 0) {
      bool commuting = true;
      for (int i = 0; i < base.childCount(); ++i) commuting &= !isNonCommuting(*base.child(i));
      if (commuting) return raiseEachPart(o, ObjectKind::times);
    }
    if (base.kind == ObjectKind::over && base.childCount() == 2) return raiseEachPart(o, ObjectKind::over);
    if (base.kind == ObjectKind::power && base.childCount() == 2) {
      ObjectPtr outer = removeChild(o, 1);
      MathObject& inner = *o.child(0);
      ObjectPtr product = makeTimes(removeChild(inner, 1), std::move(outer));
      ObjectPtr innerBase = removeChild(inner, 0);
      replaceObject(makePower(std::move(innerBase), std::move(product)), o);
      rewriteObject(*o.child(1));
      return rewriteObject(o);
    }
    if (base.kind == ObjectKind::minus && base.childCount() == 1) {
      ObjectPtr e = removeChild(o, 1);
      return splitSignFromBase(o, removeChild(*o.child(0), 0), std::move(e));
    }
  }
  if (isNumber(&base, 1)) return setNumber(o, 1);
  if (isNumber(&base, 0) && isNumber(&exponent) && valueOf(exponent) > 0) return setNumber(o, 0);
  // (-b)^e = (-1)^e b^e holds for a positive number b whatever e is.
  if (isNumber(&base) && valueOf(base) < 0 && valueOf(base) != -1)
    splitSignFromBase(o, makeNumber(-valueOf(base)), removeChild(o, 1));
}

// ---- functions ------------------------------------------------------------------------------

// An exact integral k-th root of v, if there is one.
std::optional<double> exactRoot(double v, double k) {
  if (!isExactInteger(v) || !isExactInteger(k) || k < 1) return std::nullopt;
  const bool odd = !isEvenInteger(k);
  if (v < 0 && !odd) return std::nullopt;
  const double guess = std::round(std::pow(std::fabs(v), 1 / k)) * (v < 0 ? -1 : 1);
  for (double r : {guess - 1, guess, guess + 1})
    if (std::pow(r, k) == v) return r;
  return std::nullopt;
}

void rewriteSqrt(MathObject& o) {
  if (o.childCount() == 1) {
    MathObject& radicand = *o.child(0);
    if (isNumber(&radicand) && valueOf(radicand) >= 0) {
      if (const auto root = exactRoot(valueOf(radicand), 2)) return setNumber(o, *root);
    }
    replaceObject(makePower(removeChild(o, 0), makeOver(makeNumber(1), makeNumber(2))), o);
    return rewriteObject(o);
  }
  if (o.childCount() != 2 || !isNumber(o.child(0)) || !isNumber(o.child(1))) return;
  const double radicand = valueOf(*o.child(0)), index = valueOf(*o.child(1));
  if (const auto root = exactRoot(radicand, index)) return setNumber(o, *root);
  // A negative radicand has an odd root that the power form would lose.
  if (radicand < 0 || index == 0) return;
  ObjectPtr base = removeChild(o, 0);
  ObjectPtr degree = removeChild(o, 0);
  replaceObject(makePower(std::move(base), makeOver(makeNumber(1), std::move(degree))), o);
  rewriteObject(o);
}

void rewriteScientific(MathObject& o) {
  if (o.childCount() != 2 || !isNumber(o.child(0)) || !isNumber(o.child(1))) return;
  const double value = valueOf(*o.child(0)) * std::pow(10.0, valueOf(*o.child(1)));
  if (std::isfinite(value)) setNumber(o, value);
}

void rewriteLn(MathObject& o) {
  if (isPlainLetter(o.child(0), 'e')) return setNumber(o, 1);
  if (isNumber(o.child(0), 1)) setNumber(o, 0);
}

void rewriteLog(MathObject& o) {
  if (isNumber(o.child(0), 1)) setNumber(o, 0);
}

void rewriteFactorial(MathObject& o) {
  MathObject& n = *o.child(0);
  if (isIntegerNumber(&n) && valueOf(n) >= 0 && valueOf(n) <= 4) setNumber(o, factorial(valueOf(n)));
}

void rewriteDerivativeOperator(MathObject& o) {
  if (o.childCount() == 2 && isNumber(o.child(1), 1)) removeChild(o, 1);
}

// The argument as a whole number of half turns of pi/2: 0, pi, n pi, n pi / 2.
std::optional<double> quarterTurns(const MathObject& argument) {
  static const std::uint16_t pi = greekCode("pi");
  const auto multipleOfPi = [](const MathObject& o) -> std::optional<double> {
    if (isPlainLetter(&o, pi)) return 1;
    if (o.kind == ObjectKind::times && o.childCount() == 2 && isIntegerNumber(o.child(0)) &&
        isPlainLetter(o.child(1), pi))
      return valueOf(*o.child(0));
    return std::nullopt;
  };
  if (isNumber(&argument, 0)) return 0;
  if (argument.kind == ObjectKind::minus && argument.childCount() == 1) {
    // A negative multiple has had its sign pulled out by the time the function is rewritten.
    const MathObject& inner = *argument.child(0);
    if (inner.kind != ObjectKind::minus)
      if (const auto turns = quarterTurns(inner)) return -*turns;
    return std::nullopt;
  }
  if (const auto n = multipleOfPi(argument)) return 2 * *n;
  if (argument.kind == ObjectKind::over && argument.childCount() == 2 && isNumber(argument.child(1), 2))
    return multipleOfPi(*argument.child(0));
  return std::nullopt;
}

void rewriteSineOrCosine(MathObject& o, bool cosine) {
  const std::optional<double> turns = quarterTurns(*o.child(0));
  if (!turns || std::fabs(*turns) > kExactLimit / 4) return;
  const auto quarter = static_cast<int>(*turns - 4 * std::floor(*turns / 4));
  static constexpr double kSine[4] = {0, 1, 0, -1};
  setNumber(o, kSine[(quarter + (cosine ? 1 : 0)) % 4]);
}
void rewriteSine(MathObject& o) { rewriteSineOrCosine(o, false); }
void rewriteCosine(MathObject& o) { rewriteSineOrCosine(o, true); }

// `list` and `equal`: nested objects of the same kind join this one.
void flattenSameKind(MathObject& o) {
  for (int i = 0; i < o.childCount();)
    if (o.child(i)->kind == o.kind && o.child(i)->childCount() > 0 && flattenChild(o, i))
      continue;
    else
      ++i;
}

struct RewriteRule {
  ObjectKind kind;
  void (*rewrite)(MathObject&);
};

constexpr RewriteRule kRewriteRules[] = {
    {ObjectKind::list, flattenSameKind},
    {ObjectKind::equal, flattenSameKind},
    {ObjectKind::times, rewriteTimes},
    {ObjectKind::plus, rewritePlus},
    {ObjectKind::minus, rewriteMinus},
    {ObjectKind::over, rewriteFraction},
    {ObjectKind::power, rewritePower},
    {ObjectKind::sqrt, rewriteSqrt},
    {ObjectKind::sn, rewriteScientific},
    {ObjectKind::ln, rewriteLn},
    {ObjectKind::log, rewriteLog},
    {ObjectKind::fact, rewriteFactorial},
    {ObjectKind::optotal, rewriteDerivativeOperator},
    {ObjectKind::oppartial, rewriteDerivativeOperator},
    {ObjectKind::sin, rewriteSine},
    {ObjectKind::cos, rewriteCosine},
};

} // namespace

void rewriteObject(MathObject& object) {
  if (object.childCount() == 0 || memoryIsLow()) return;
  for (int i = 0; i < object.childCount(); ++i)
    if (!object.child(i)) return; // a slot still being filled
  for (const RewriteRule& rule : kRewriteRules)
    if (rule.kind == object.kind) return rule.rewrite(object);
}

} // namespace vexmar
