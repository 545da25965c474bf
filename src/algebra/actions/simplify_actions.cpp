#include "algebra/actions/algebra_actions.h"

#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"

namespace vexmar {
namespace {

void simplifyAction(InsertionPoint& ip, MathObject& selection) {
  liftEquations(selection);
  simplifySelection(ip, selection);
}

void keepProductsAction(InsertionPoint&, MathObject& selection) {
  const ScopedSimplifySwitches restore;
  simplifySwitches().keepProductsMode = true;
  rewritePass(selection);
}

void expandAction(InsertionPoint&, MathObject& selection) {
  const ScopedSimplifySwitches restore;
  liftEquations(selection);
  simplifySwitches().expandMode = true;
  rewritePass(selection);
}

void expandOnceAction(InsertionPoint&, MathObject& selection) {
  const ScopedSimplifySwitches restore;
  unwrapIdentity(selection);
  for (MathObject* o = &selection; o; o = nextPreorder(*o, selection)) {
    if (o->kind != ObjectKind::times) continue;
    simplifySwitches().expandMode = true;
    simplifySwitches().expandOnceMode = true;
    rewriteObject(*o);
    break;
  }
  finalTidyPass(selection);
}

void derivativesOnlyAction(InsertionPoint&, MathObject& selection) { derivativeSteps(selection); }

void simplifyHoldingDerivativesAction(InsertionPoint& ip, MathObject& selection) {
  const ScopedSimplifySwitches restore;
  simplifySwitches().derivativesHeld = true;
  simplifySelection(ip, selection);
}

void compactFractionsAction(InsertionPoint&, MathObject& selection) {
  const ScopedSimplifySwitches restore;
  simplifySwitches().compactFractionsMode = true;
  rewritePass(selection);
}

constexpr AlgebraActionRow kSimplifyActions[] = {
    {Command::Simplify, simplifyAction}, {0x2001, keepProductsAction},
    {Command::Expand, expandAction},     {0x2003, expandOnceAction},
    {0x2004, derivativesOnlyAction},     {0x2005, simplifyHoldingDerivativesAction},
    {0x201A, compactFractionsAction},
};

} // namespace

std::span<const AlgebraActionRow> simplifyActions() { return kSimplifyActions; }

} // namespace vexmar
