#pragma once

#include "model/math_object.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace vexmar::test {

inline ObjectPtr ch(char c) { return makeChar(static_cast<std::uint16_t>(c)); }
inline ObjectPtr var(char c) { return makeDummy(static_cast<std::uint16_t>(c)); }
inline ObjectPtr num(double v) { return makeNumber(v); }

/// kind(children...) with each child linked in order.
template <typename... Children> ObjectPtr node(ObjectKind kind, Children&&... children) {
  ObjectPtr n = makeObject(kind);
  (appendChild(*n, std::forward<Children>(children)), ...);
  return n;
}

/// Checks parent links, indices and that no slot is empty, for the whole tree.
inline bool linksAreSound(const MathObject& root) {
  for (const MathObject* n = &root; n; n = nextPreorder(n, root)) {
    for (int i = 0; i < n->childCount(); ++i) {
      const MathObject* c = n->child(i);
      if (!c || c->parent != n || c->indexInParent != i) return false;
    }
  }
  return true;
}

} // namespace vexmar::test
