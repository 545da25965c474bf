#include "algebra/rewrite_plus.h"

#include "algebra/detail/rewrite_helpers.h"
#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vexmar {
using namespace detail;

namespace {

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
bool collectTerms(MathObject& o, RewriteContext& context) {
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
      rewriteObject(*o.child(i), context);
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

void compactFractions(MathObject& o, RewriteContext& context) {
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
    rewriteBottomUp(*o.child(i), context);
  }
}

void foldNumberTermsOnce(MathObject& o, RewriteContext& context);

void foldNumberTerms(MathObject& o, RewriteContext& context) {
  // Two sweeps: a fraction ahead of a number meets it only once the number has moved last.
  for (int sweep = 0; sweep < 2; ++sweep) foldNumberTermsOnce(o, context);
  if (o.childCount() > 1 && isNumber(o.lastChild(), 0)) removeChild(o, o.childCount() - 1);
}

void foldNumberTermsOnce(MathObject& o, RewriteContext& context) {
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
        rewriteObject(end, context);
        removeChild(o, i);
        continue;
      }
    }
    ++i;
  }
}

} // namespace

void rewritePlus(MathObject& o, RewriteContext& context) {
  bool collect = context.options.switches.collectTerms;
  for (;;) {
    if (o.childCount() == 1) {
      collapseTo(o, 0);
      return;
    }
    foldNumberTerms(o, context);
    if (context.options.compactFractionsMode) compactFractions(o, context);
    if (o.childCount() == 1) {
      collapseTo(o, 0);
      return;
    }
    if (!collect || !collectTerms(o, context)) return;
    collect = false; // once more to fold what collection left, without collecting again
  }
}

void rewriteMinus(MathObject& o, RewriteContext& context) {
  MathObject& inner = *o.child(0);
  if (isNumber(&inner)) {
    setNumber(o, -valueOf(inner));
  } else if (inner.kind == ObjectKind::times && inner.childCount() >= 1 && isNumber(inner.child(0))) {
    setNumber(*inner.child(0), -valueOf(*inner.child(0)));
    collapseTo(o, 0);
    rewriteObject(o, context);
  } else if (inner.kind == ObjectKind::plus) {
    for (int i = 0; i < inner.childCount(); ++i) {
      wrapInPlace(*inner.child(i), ObjectKind::minus);
      rewriteObject(*inner.child(i), context);
    }
    collapseTo(o, 0);
    rewriteObject(o, context);
  } else if (inner.kind == ObjectKind::minus && inner.childCount() == 1) {
    replaceObject(removeChild(inner, 0), o);
  } else if (inner.kind == ObjectKind::over && inner.childCount() == 2 && isNumber(inner.child(0)) &&
             isNumber(inner.child(1))) {
    setNumber(*inner.child(0), -valueOf(*inner.child(0)));
    collapseTo(o, 0);
  }
}

} // namespace vexmar
