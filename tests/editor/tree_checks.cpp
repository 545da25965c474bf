#include "tree_checks.h"

#include <sstream>

namespace vexmar::test {
namespace {

std::string describe(const MathObject& o) {
  std::ostringstream s;
  s << kindName(o.kind);
  for (int i : pathTo(o)) s << '.' << i;
  return s.str();
}

std::string nodeProblem(const MathObject& n) {
  const int count = n.childCount();
  for (int i = 0; i < count; ++i) {
    const MathObject* c = n.child(i);
    if (!c) return describe(n) + ": empty slot " + std::to_string(i);
    if (c->parent != &n || c->indexInParent != i) return describe(*c) + ": bad parent link";
  }
  const int arity = kindArity(n.kind);
  if ((arity == 1 || arity == 2) && count != arity)
    return describe(n) + ": " + std::to_string(count) + " children for arity " + std::to_string(arity);
  if (arity == 0 && count != 0) return describe(n) + ": a leaf with children";
  if (arity == kVariableArity && count == 0) return describe(n) + ": no children";
  if (n.kind == ObjectKind::num && !n.number) return describe(n) + ": no number record";
  if (n.kind == ObjectKind::matrix) {
    if (n.matrixRows() < 1 || n.matrixColumns() < 1 || n.matrixRows() * n.matrixColumns() != count)
      return describe(n) + ": matrix size does not match its cells";
  }
  if (n.kind == ObjectKind::indexes) {
    const int a = n.payloadA & 0xFFFF, b = (n.payloadA >> 16) & 0xFFFF;
    if (a + b + 1 != count) return describe(n) + ": index counts do not match its children";
  }
  return {};
}

} // namespace

std::string treeProblem(const MathObject& root) {
  if (root.parent) return "the root has a parent";
  for (const MathObject* n = &root; n; n = nextPreorder(n, root))
    if (std::string p = nodeProblem(*n); !p.empty()) return p;
  return {};
}

std::string caretProblem(const InsertionPoint& ip) {
  if (!ip.root || !ip.current) return "no tree or no current object";
  if (!isAncestorOrSelf(*ip.root, *ip.current)) return "current object is not in the tree";
  const MathObject& c = *ip.current;
  const int count = c.childCount();
  // Described only for a failure: the path is as long as the tree is deep.
  const auto where = [&] { return describe(c) + " mode " + std::to_string(static_cast<int>(ip.mode)); };
  if (c.kind == ObjectKind::prompt && ip.mode != SelectionMode::Object)
    return where() + ": a prompt not selected";
  switch (ip.mode) {
  case SelectionMode::Object:
  case SelectionMode::After:
  case SelectionMode::Before:
    return {};
  case SelectionMode::Range:
    if (c.shape() != KindShape::Infix || ip.selFirst < 0 || ip.selFirst > ip.selLast || ip.selLast >= count)
      return where() + ": bad range";
    return {};
  case SelectionMode::Operator:
    if (c.shape() == KindShape::Infix && ip.selFirst >= 0 && ip.selFirst + 1 < count) return {};
    if (count >= 1 && c.shape() != KindShape::Infix && c.shape() != KindShape::Atom) return {};
    return where() + ": no operator there";
  case SelectionMode::BetweenFactors:
    if (!c.parent || c.parent->kind != ObjectKind::times || c.isLastChild())
      return where() + ": not between factors";
    return {};
  case SelectionMode::Cells:
    if (c.kind != ObjectKind::matrix || ip.selFirst < 0 || ip.selLast < 0 || ip.selFirst >= count ||
        ip.selLast >= count)
      return where() + ": bad cells";
    return {};
  case SelectionMode::Text: {
    const int length = static_cast<int>(c.text.size());
    if (c.kind != ObjectKind::string || ip.selFirst < 0 || ip.selLast < 0 || ip.selFirst > length ||
        ip.selLast > length)
      return where() + ": bad text caret";
    return {};
  }
  }
  return where() + ": unknown mode";
}

} // namespace vexmar::test
