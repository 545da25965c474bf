#include "algebra/simplify.h"

#include "algebra/derivative_steps.h"
#include "algebra/detail/rewrite_helpers.h"
#include "algebra/factor_order.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"
#include "model/memory_reserve.h"
#include "model/process_state.h"

#include <vector>

namespace vexmar {
namespace {

bool memoryIsLow() { return memoryReserve().isLow(); }

// Lifting an equation out of a list, a relation or a container would join separate
// statements, and the equations of limits and substitutions (n = 1 under a sum, x = 2 after a
// bar) bind a variable rather than state anything: only operators and functions take part.
bool liftsEquations(const MathObject& o) {
  if (o.kind == ObjectKind::equal || o.kind == ObjectKind::substitution || o.kind == ObjectKind::lim)
    return false;
  if (isBigOperator(o.kind)) return false;
  if (o.shape() == KindShape::Container) return false;
  if (o.shape() == KindShape::Infix) return o.kind == ObjectKind::plus || o.kind == ObjectKind::times;
  return true;
}

int equalChildIndex(const MathObject& o) {
  for (int i = 0; i < o.childCount(); ++i)
    if (o.child(i) && o.child(i)->kind == ObjectKind::equal && o.child(i)->childCount() > 0) return i;
  return -1;
}

// Builds the lifted equation for `o`: each side is a copy of `o` holding that side of the
// equation in its place. The equation is taken out first, so the copies hold only o's other
// operands and a lift costs no more than the equation it builds.
ObjectPtr liftedEquation(MathObject& o, int at) {
  ObjectPtr equation = removeChild(o, at);
  insertChild(o, at, makePrompt());
  const int sides = equation->childCount();
  ObjectPtr result = makeObject(ObjectKind::equal, sides);
  for (int side = 0; side < sides; ++side) {
    ObjectPtr copy = cloneTree(o);
    replaceObject(removeChild(*equation, 0), *copy->child(at));
    setChild(*result, side, std::move(copy));
  }
  return result;
}

// Lifts the equation out of `o`, and then out of each side that still holds one (the copies of
// a second equation operand). What lies deeper was lifted before `o` was reached.
void liftFrom(MathObject& o) {
  std::vector<MathObject*> pending{&o};
  while (!pending.empty()) {
    MathObject& node = *pending.back();
    pending.pop_back();
    const int at = liftsEquations(node) ? equalChildIndex(node) : -1;
    if (at < 0) continue;
    replaceObject(liftedEquation(node, at), node);
    for (int i = 0; i < node.childCount(); ++i) pending.push_back(node.child(i));
  }
}

// −2x, not (−2)x: a product led by a negative coefficient becomes the negation of the product
// with the coefficient made positive, which Simplify turns back into the same product. Only
// where that coefficient still sorts first, and not for −1, whose sign Simplify would leave
// outside: either way Simplify would no longer leave its own result as it is.
void leadWithSign(MathObject& product) {
  if (product.childCount() < 2 || !isNumber(product.child(0))) return;
  const double coefficient = product.child(0)->number->value;
  if (!(coefficient < 0) || coefficient == -1) return;
  const ObjectPtr positive = makeNumber(-coefficient);
  for (int i = 1; i < product.childCount(); ++i)
    if (factorBefore(*product.child(i), *positive)) return;
  detail::setNumber(*product.child(0), -coefficient);
  detail::wrapInPlace(product, ObjectKind::minus);
}

} // namespace

SimplifySwitches& simplifySwitches() {
  static SimplifySwitches switches;
  return switches;
}

namespace {

// The user's switches are the algebra's only process-wide state.
const bool registered = (registerStateReset(StateLayer::Algebra, [] { simplifySwitches().reset(); }), true);

} // namespace

void detail::rewriteBottomUp(MathObject& subtree, RewriteContext& context) {
  // Each step keeps the visited object's record in place, so the walk goes on from it.
  for (MathObject* o = firstPostorder(subtree); o; o = nextPostorder(*o, subtree)) {
    if (memoryIsLow()) return;
    rewriteObject(*o, context);
  }
}

void rewriteBottomUp(MathObject& subtree, const SimplifyOptions& options) {
  detail::RewriteContext context(options);
  detail::rewriteBottomUp(subtree, context);
}

void finalTidyPass(MathObject& subtree) {
  for (MathObject* o = &subtree; o; o = nextPreorder(*o, subtree)) {
    if (memoryIsLow()) return;
    if (o->kind == ObjectKind::times) leadWithSign(*o);
  }
  for (MathObject* o = firstPostorder(subtree); o; o = nextPostorder(*o, subtree)) {
    if (memoryIsLow()) return;
    if (isNumber(o) && o->number->value < 0) {
      replaceObject(makeObject(ObjectKind::minus, makeNumber(-o->number->value)), *o);
    } else if (o->kind == ObjectKind::power && o->childCount() == 2 &&
               o->child(1)->kind == ObjectKind::over && o->child(1)->childCount() == 2 &&
               isNumber(o->child(1)->child(0)) && isNumber(o->child(1)->child(1)) &&
               o->child(1)->child(0)->number->value == 1 && o->child(1)->child(1)->number->value == 2) {
      replaceObject(makeObject(ObjectKind::sqrt, removeChild(*o, 0)), *o);
    } else if (o->kind == ObjectKind::over && o->childCount() == 2 &&
               o->child(0)->kind == ObjectKind::minus && o->child(0)->childCount() == 1) {
      MathObject& numerator = *o->child(0);
      replaceObject(removeChild(numerator, 0), numerator);
      ObjectPtr top = removeChild(*o, 0);
      ObjectPtr bottom = removeChild(*o, 0);
      ObjectPtr fraction = makeObject(ObjectKind::over, std::move(top), std::move(bottom));
      replaceObject(makeObject(ObjectKind::minus, std::move(fraction)), *o);
    }
  }
}

void liftEquations(MathObject& selection) {
  for (MathObject* o = firstPostorder(selection); o; o = nextPostorder(*o, selection)) {
    if (memoryIsLow()) return;
    liftFrom(*o);
  }
}

ExpansionLimits rewritePass(MathObject& selection, const SimplifyOptions& options) {
  detail::RewriteContext context(options);
  unwrapIdentity(selection);
  detail::rewriteBottomUp(selection, context);
  finalTidyPass(selection);
  return context.refused;
}

void derivativeSteps(MathObject& subtree, const SimplifyOptions& options) {
  if (memoryIsLow()) return;
  convertDerivativesToInternal(subtree);
  if (!options.switches.derivativesHeld) runDerivativeEngine(subtree);
  convertDerivativesToEditor(subtree);
}

void simplifySelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options) {
  (void)ip; // the selection keeps its record, so the insertion point stays valid
  // One context for both walks: expand-once distributes once in the whole command.
  detail::RewriteContext context(options);
  unwrapIdentity(selection);
  detail::rewriteBottomUp(selection, context);
  derivativeSteps(selection, options);
  detail::rewriteBottomUp(selection, context);
  finalTidyPass(selection);
}

} // namespace vexmar
