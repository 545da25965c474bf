#include "algebra/detail/rewrite_helpers.h"

#include "algebra/simplify.h"
#include "algebra/tree_services.h"

#include <numeric>
#include <utility>

namespace vexmar::detail {

std::uint16_t greekCode(const char* name) { return specialCharacterByName(name).value_or(0); }

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

ObjectPtr makeProduct(std::vector<ObjectPtr> factors) {
  if (factors.empty()) return makeNumber(1);
  if (factors.size() == 1) return std::move(factors.front());
  return makeNary(ObjectKind::times, std::move(factors));
}

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

MathObject* leadingNumber(MathObject& o) {
  if (isNumber(&o)) return &o;
  if (o.kind == ObjectKind::times && o.childCount() >= 2 && isNumber(o.child(0))) return o.child(0);
  return nullptr;
}

std::optional<double> exactRoot(double v, double k) {
  if (!isExactInteger(v) || !isExactInteger(k) || k < 1) return std::nullopt;
  const bool odd = !isEvenInteger(k);
  if (v < 0 && !odd) return std::nullopt;
  const double guess = std::round(std::pow(std::fabs(v), 1 / k)) * (v < 0 ? -1 : 1);
  for (double r : {guess - 1, guess, guess + 1})
    if (std::pow(r, k) == v) return r;
  return std::nullopt;
}

bool sameBase(const MathObject& a, const MathObject& b) { return treeEqual(baseOf(a), baseOf(b)); }

void becomeFractionOfProducts(MathObject& o, std::vector<ObjectPtr> numerators,
                              std::vector<ObjectPtr> denominators, RewriteContext& context) {
  replaceObject(makeOver(makeProduct(std::move(numerators)), makeProduct(std::move(denominators))), o);
  rewriteObject(*o.child(0), context);
  rewriteObject(*o.child(1), context);
}

} // namespace vexmar::detail
