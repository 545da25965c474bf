#include "algebra/tree_services.h"

#include <vector>

namespace vexmar {

ObjectPtr makeTimes(ObjectPtr a, ObjectPtr b) {
  return makeObject(ObjectKind::times, std::move(a), std::move(b));
}
ObjectPtr makeTimes(ObjectPtr a, ObjectPtr b, ObjectPtr c) {
  return makeObject(ObjectKind::times, std::move(a), std::move(b), std::move(c));
}
ObjectPtr makePlus(ObjectPtr a, ObjectPtr b) {
  return makeObject(ObjectKind::plus, std::move(a), std::move(b));
}
ObjectPtr makePower(ObjectPtr a, ObjectPtr b) {
  return makeObject(ObjectKind::power, std::move(a), std::move(b));
}
ObjectPtr makeOver(ObjectPtr a, ObjectPtr b) {
  return makeObject(ObjectKind::over, std::move(a), std::move(b));
}
ObjectPtr makeDifference(ObjectPtr a, ObjectPtr b) {
  return makePlus(std::move(a), makeNegation(std::move(b)));
}
ObjectPtr makeNegation(ObjectPtr a) { return makeObject(ObjectKind::minus, std::move(a)); }
ObjectPtr makeSquare(ObjectPtr a) { return makePower(std::move(a), makeAlgebraNumber(AlgebraConstant::Two)); }
ObjectPtr makeReciprocal(ObjectPtr a) {
  return makeOver(makeAlgebraNumber(AlgebraConstant::One), std::move(a));
}
ObjectPtr makeFunction(ObjectKind kind, ObjectPtr a) { return makeObject(kind, std::move(a)); }

ObjectPtr makeDerivative(ObjectPtr a, ObjectPtr v) {
  return makeObject(ObjectKind::PartialDerivativeKind, std::move(a), std::move(v));
}

ObjectPtr makeSubstitution(ObjectPtr a, ObjectPtr b, ObjectPtr c) {
  return makeObject(ObjectKind::substitution, std::move(a),
                    makeObject(ObjectKind::equal, std::move(b), std::move(c)));
}

ObjectPtr makeAlgebraNumber(double value) { return makeNumber(value); }
ObjectPtr makeVariable(std::uint16_t code) { return makeChar(code); }

ObjectPtr makeOneMinusSquare(const MathObject& a) {
  return makeDifference(makeAlgebraNumber(AlgebraConstant::One), makeSquare(cloneTree(a)));
}
ObjectPtr makeSquareMinusOne(const MathObject& a) {
  return makeDifference(makeSquare(cloneTree(a)), makeAlgebraNumber(AlgebraConstant::One));
}

MathObject* replaceWithTree(ObjectPtr replacement, MathObject& old) {
  replaceObject(std::move(replacement), old);
  return &old;
}

MathObject* replaceWithNumber(MathObject& object, double value) {
  return replaceWithTree(makeAlgebraNumber(value), object);
}

void removeChildrenOfKind(MathObject& object, ObjectKind kind) {
  for (int i = object.childCount(); i-- > 0;)
    if (object.child(i) && object.child(i)->kind == kind) removeChild(object, i);
}

MathObject* lastDescendant(MathObject& t) { return lastLeaf(t); }

MathObject* nextPreorderOut(const MathObject& o) {
  for (const MathObject* n = &o; n->parent; n = n->parent)
    if (!n->isLastChild()) return n->parent->child(n->indexInParent + 1);
  return nullptr;
}

MathObject* firstPostorder(MathObject& t) { return firstLeaf(t); }

MathObject* nextPostorder(const MathObject& o, const MathObject& t) {
  if (&o == &t || !o.parent) return nullptr;
  if (o.isLastChild()) return o.parent;
  return firstLeaf(*o.parent->child(o.indexInParent + 1));
}

MathObject* nextAfterSubtree(const MathObject& node, const MathObject& root) {
  for (const MathObject* n = &node; n != &root && n->parent; n = n->parent)
    if (!n->isLastChild()) return n->parent->child(n->indexInParent + 1);
  return nullptr;
}

std::vector<MathObject*> collectPreorder(MathObject& subtree, bool (*test)(const MathObject&)) {
  std::vector<MathObject*> found;
  for (MathObject* n = &subtree; n; n = nextPreorder(*n, subtree))
    if (test(*n)) found.push_back(n);
  return found;
}

bool isNumber(const MathObject* o) { return o && o->kind == ObjectKind::num && o->number; }

bool isNumber(const MathObject* o, double value) { return isNumber(o) && o->number->value == value; }

bool isPlainLetter(const MathObject* o, std::uint16_t code) {
  return o && o->kind == ObjectKind::char_ && o->characterCode() == code && (o->decoration & 0xFFFF) == 0;
}

bool containsKind(const MathObject& t, ObjectKind kind) {
  for (const MathObject* n = &t; n; n = nextPreorder(n, t))
    if (n->kind == kind) return true;
  return false;
}

bool isFreeOf(const MathObject& t, const MathObject& s) {
  for (const MathObject* n = &t; n; n = nextPreorder(n, t))
    if (treeEqual(*n, s)) return false;
  return true;
}

void unwrapIdentity(MathObject& t) {
  // Unwrapping keeps each record in place, so the walk can go on from it.
  for (MathObject* n = &t; n; n = nextPreorder(*n, t))
    while (n->kind == ObjectKind::id && n->childCount() == 1 && n->firstChild())
      replaceObject(removeChild(*n, 0), *n);
}

bool isFunctionForm(const MathObject& o) {
  if (o.kind != ObjectKind::times || o.childCount() != 2) return false;
  const MathObject* name = o.child(0);
  const MathObject* argument = o.child(1);
  return name && argument && name->kind == ObjectKind::char_ && name->characterCode() == 'f' &&
         argument->kind == ObjectKind::id && argument->childCount() == 1 && argument->firstChild() &&
         argument->firstChild()->kind == ObjectKind::char_ && argument->firstChild()->characterCode() == 'x';
}

bool isFunctionDefinition(const MathObject& o) {
  if (isFunctionForm(o)) return true;
  return o.kind == ObjectKind::equal && o.childCount() >= 1 && o.firstChild() &&
         isFunctionForm(*o.firstChild());
}

} // namespace vexmar
