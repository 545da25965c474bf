#include "algebra/factor_order.h"

#include "model/math_object.h"

#include <utility>
#include <vector>

namespace vexmar {
namespace {

bool isDerivativeOperator(const MathObject& o) {
  return o.kind == ObjectKind::PartialDerivativeKind || o.kind == ObjectKind::TotalDerivativeKind ||
         o.kind == ObjectKind::optotal || o.kind == ObjectKind::oppartial;
}

bool containsDerivative(const MathObject& t) {
  for (const MathObject* n = &t; n; n = nextPreorder(n, t))
    if (isDerivativeOperator(*n)) return true;
  return false;
}

const MathObject& baseOf(const MathObject& o) {
  return o.kind == ObjectKind::power && o.childCount() == 2 && o.child(0) ? *o.child(0) : o;
}

enum class Order { Before, After, Same };

// Letters: Greek before Latin, Latin by code, `e` after every other letter.
Order compareLetters(const MathObject& a, const MathObject& b) {
  const auto rank = [](const MathObject& o) {
    const int code = o.characterCode();
    if (isSpecialCharacterCode(code)) return code - 0x10000;
    if (code == 'e') return 0x10000;
    return code;
  };
  const int ra = rank(a), rb = rank(b);
  if (ra == rb) return Order::Same;
  return ra < rb ? Order::Before : Order::After;
}

// Rules 3 to 7 of the canonical order; descends one pair of children at a time so deep factors
// cost no stack.
Order compareCommuting(const MathObject* a, const MathObject* b) {
  while (a && b) {
    a = &baseOf(*a);
    b = &baseOf(*b);
    const bool aNumber = a->kind == ObjectKind::num, bNumber = b->kind == ObjectKind::num;
    if (aNumber || bNumber) {
      if (aNumber != bNumber) return aNumber ? Order::Before : Order::After;
      const double va = a->number->value, vb = b->number->value;
      if (va == vb) return Order::Same;
      return va < vb ? Order::Before : Order::After;
    }
    if (a->kind != b->kind) return a->kind < b->kind ? Order::Before : Order::After;
    if (a->kind == ObjectKind::char_ || a->kind == ObjectKind::dummy) return compareLetters(*a, *b);
    if (a->childCount() == 0 || b->childCount() == 0) return Order::Same;
    const bool useFirst = a->childCount() < 2 || b->childCount() < 2 || !a->child(0) || !b->child(0) ||
                          !treeEqual(*a->child(0), *b->child(0));
    const MathObject* nextA = useFirst ? a->child(0) : a->child(1);
    const MathObject* nextB = useFirst ? b->child(0) : b->child(1);
    if (nextA == a || nextB == b) return Order::Same;
    a = nextA;
    b = nextB;
  }
  return Order::Same;
}

} // namespace

bool isNonCommuting(const MathObject& factor) {
  if (factor.kind == ObjectKind::char_ || factor.kind == ObjectKind::dummy) {
    const auto accent = factor.decoration & Decoration::kAccentMask;
    return accent == Decoration::kAccentArrow || accent == Decoration::kAccentHat;
  }
  return isDerivativeOperator(factor) || factor.kind == ObjectKind::matrix ||
         factor.kind == ObjectKind::bra || factor.kind == ObjectKind::ket ||
         (factor.kind == ObjectKind::function && factor.childCount() >= 1 && factor.child(0) &&
          isDerivativeOperator(*factor.child(0)));
}

bool factorBefore(const MathObject& a, const MathObject& b) {
  if (isNonCommuting(a)) return false;
  if (isNonCommuting(b)) return true;
  return compareCommuting(&a, &b) == Order::Before;
}

void sortFactors(MathObject& product) {
  const int n = product.childCount();
  std::vector<bool> fixed(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) fixed[static_cast<std::size_t>(i)] = containsDerivative(*product.child(i));
  // Bubble sort, bounded by n passes so that an inconsistent comparison cannot loop forever.
  for (int pass = 0; pass < n; ++pass) {
    bool swapped = false;
    for (int i = 1; i < n; ++i) {
      const auto left = static_cast<std::size_t>(i - 1), right = static_cast<std::size_t>(i);
      if (fixed[left] || fixed[right]) continue;
      if (!factorBefore(*product.children[right], *product.children[left])) continue;
      std::swap(product.children[left], product.children[right]);
      product.children[left]->indexInParent = i - 1;
      product.children[right]->indexInParent = i;
      swapped = true;
    }
    if (!swapped) break;
  }
}

} // namespace vexmar
