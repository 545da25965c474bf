#include "model/pattern_rule.h"

#include <map>
#include <utility>

namespace vexmar {
namespace {

using Bindings = std::map<std::uint16_t, ObjectPtr>;

constexpr std::uint32_t kLowNineBits = 0x1FF;

// The next node after `node`'s whole subtree within `root`, or null.
const MathObject* nextAfterSubtree(const MathObject* node, const MathObject& root) {
  for (const MathObject* n = node; n != &root && n->parent; n = n->parent) {
    const MathObject* p = n->parent;
    for (int i = n->indexInParent + 1; i < p->childCount(); ++i)
      if (p->child(i)) return p->child(i);
  }
  return nullptr;
}

std::uint32_t accent(std::uint32_t d) { return d & Decoration::kAccentMask; }
std::uint32_t dots(std::uint32_t d) { return (d & Decoration::kDotsMask) >> Decoration::kDotsShift; }
std::uint32_t primes(std::uint32_t d) { return (d & Decoration::kPrimesMask) >> Decoration::kPrimesShift; }
std::uint32_t markBelow(std::uint32_t d) { return d & Decoration::kMarkBelowMask; }

// Whether a target decorated with `have` carries every decoration the pattern asks for.
bool includesDecoration(std::uint32_t have, std::uint32_t want) {
  if (accent(want) && accent(have) != accent(want)) return false;
  if ((want & Decoration::kBar) && !(have & Decoration::kBar)) return false;
  if (markBelow(want) && markBelow(have) != markBelow(want)) return false;
  return dots(have) >= dots(want) && primes(have) >= primes(want);
}

// The target's decoration with the pattern's part taken away.
std::uint32_t withoutDecoration(std::uint32_t have, std::uint32_t want) {
  std::uint32_t rest = have & 0xFFFF;
  if (accent(want)) rest &= ~Decoration::kAccentMask;
  if (want & Decoration::kBar) rest &= ~Decoration::kBar;
  if (markBelow(want)) rest &= ~Decoration::kMarkBelowMask;
  rest = (rest & ~Decoration::kDotsMask) | ((dots(have) - dots(want)) << Decoration::kDotsShift);
  rest = (rest & ~Decoration::kPrimesMask) | ((primes(have) - primes(want)) << Decoration::kPrimesShift);
  return rest;
}

bool sameNode(const MathObject& pattern, const MathObject& target) {
  if (pattern.kind != target.kind || pattern.childCount() != target.childCount()) return false;
  switch (pattern.kind) {
  case ObjectKind::num:
    return pattern.number && target.number && pattern.number->value == target.number->value;
  case ObjectKind::char_:
  case ObjectKind::dummy:
    return pattern.characterCode() == target.characterCode() &&
           (pattern.decoration & kLowNineBits) == (target.decoration & kLowNineBits);
  case ObjectKind::string:
    return pattern.text == target.text;
  default:
    return true;
  }
}

bool bindVariable(const MathObject& variable, const MathObject& target, Bindings& bindings) {
  const std::uint16_t code = variable.characterCode();
  const std::uint32_t want = variable.decoration & 0xFFFF;
  auto bound = bindings.find(code);
  if (want == 0) {
    if (bound != bindings.end()) return treeEqual(*bound->second, target);
    bindings.emplace(code, cloneTree(target));
    return true;
  }
  // A decorated variable stands for a decorated letter: x' matches y'' with x bound to y'.
  if (target.kind != ObjectKind::char_ || !includesDecoration(target.decoration, want)) return false;
  const std::uint32_t rest = withoutDecoration(target.decoration, want);
  if (bound != bindings.end()) {
    const MathObject& b = *bound->second;
    return b.kind == ObjectKind::char_ && b.characterCode() == target.characterCode() &&
           (b.decoration & 0xFFFF) == rest;
  }
  ObjectPtr copy = cloneTree(target);
  copy->decoration = (copy->decoration & ~0xFFFFu) | rest;
  bindings.emplace(code, std::move(copy));
  return true;
}

bool match(const MathObject& pattern, const MathObject& target, Bindings& bindings) {
  // Both walks advance in step; a bound variable makes the target walk skip the subtree it took.
  const MathObject* p = &pattern;
  const MathObject* t = &target;
  while (p) {
    if (!t) return false;
    if (p->kind == ObjectKind::dummy) {
      if (!bindVariable(*p, *t, bindings)) return false;
      p = nextPreorder(p, pattern);
      t = nextAfterSubtree(t, target);
      continue;
    }
    if (!sameNode(*p, *t)) return false;
    for (int i = 0; i < p->childCount(); ++i)
      if ((p->child(i) == nullptr) != (t->child(i) == nullptr)) return false;
    p = nextPreorder(p, pattern);
    t = nextPreorder(t, target);
  }
  return t == nullptr;
}

// Replaces every variable of `code` in `result` by a copy of its binding; a decorated variable
// in the result passes its decoration on to a bound letter.
void substitute(ObjectPtr& result, std::uint16_t code, const MathObject& value) {
  std::vector<MathObject*> hits;
  for (MathObject* n = result.get(); n; n = nextPreorder(*n, *result))
    if (n->kind == ObjectKind::dummy && n->characterCode() == code) hits.push_back(n);
  for (MathObject* hit : hits) {
    ObjectPtr copy = cloneTree(value);
    const std::uint32_t extra = hit->decoration & 0xFFFF;
    if (extra && (copy->kind == ObjectKind::char_ || copy->kind == ObjectKind::dummy)) {
      std::uint32_t d = copy->decoration;
      d |= extra & (Decoration::kBar);
      if (accent(extra)) d = (d & ~Decoration::kAccentMask) | accent(extra);
      if (markBelow(extra)) d = (d & ~Decoration::kMarkBelowMask) | markBelow(extra);
      const std::uint32_t dotCount = std::min<std::uint32_t>(3, dots(d) + dots(extra));
      const std::uint32_t primeCount = std::min<std::uint32_t>(3, primes(d) + primes(extra));
      d = (d & ~Decoration::kDotsMask) | (dotCount << Decoration::kDotsShift);
      d = (d & ~Decoration::kPrimesMask) | (primeCount << Decoration::kPrimesShift);
      copy->decoration = d;
    }
    if (hit == result.get()) {
      result = std::move(copy);
    } else {
      replaceObject(std::move(copy), *hit);
    }
  }
}

bool applySingleRule(const MathObject& rule, MathObject& target) {
  if ((rule.kind != ObjectKind::rightarrow && rule.kind != ObjectKind::equal) || rule.childCount() < 2)
    return false;
  const MathObject* right = rule.lastChild();
  if (!right) return false;
  for (int i = 0; i + 1 < rule.childCount(); ++i) {
    const MathObject* left = rule.child(i);
    if (!left) continue;
    Bindings bindings;
    if (!match(*left, target, bindings)) continue;
    ObjectPtr result = cloneTree(*right);
    for (const auto& [code, value] : bindings) substitute(result, code, *value);
    replaceObject(std::move(result), target);
    return true;
  }
  return false;
}

} // namespace

bool applyRule(const MathObject& rules, MathObject& target) {
  if (rules.kind != ObjectKind::list) return applySingleRule(rules, target);
  for (const ObjectPtr& rule : rules.children)
    if (rule && applySingleRule(*rule, target)) return true;
  return false;
}

int applyRules(const MathObject& rules, MathObject& subtree) {
  int rewrites = 0;
  MathObject* n = &subtree;
  while (n) {
    if (applyRule(rules, *n)) {
      ++rewrites;
      n = const_cast<MathObject*>(nextAfterSubtree(n, subtree));
    } else {
      n = nextPreorder(*n, subtree);
    }
  }
  return rewrites;
}

bool isNamedDefinition(const MathObject& rule) {
  if (rule.kind != ObjectKind::rightarrow || rule.childCount() < 2) return false;
  const MathObject* name = rule.firstChild();
  return name && name->kind == ObjectKind::string && !name->text.empty() && name->text.front() == '\\';
}

} // namespace vexmar
