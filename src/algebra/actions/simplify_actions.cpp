#include "algebra/actions/algebra_actions.h"

#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"

namespace vexmar {
namespace {

void simplifyAction(InsertionPoint& ip, MathObject& selection) {
  liftEquations(selection);
  simplifySelection(ip, selection, {.switches = simplifySwitches()});
}

void keepProductsAction(InsertionPoint&, MathObject& selection) {
  rewritePass(selection, {.switches = simplifySwitches(), .keepProductsMode = true});
}

void expandAction(InsertionPoint&, MathObject& selection) {
  liftEquations(selection);
  rewritePass(selection, {.switches = simplifySwitches(), .expandMode = true});
}

void expandOnceAction(InsertionPoint&, MathObject& selection) {
  const SimplifyOptions options{.switches = simplifySwitches(), .expandMode = true, .expandOnceMode = true};
  unwrapIdentity(selection);
  for (MathObject* o = &selection; o; o = nextPreorder(*o, selection)) {
    if (o->kind != ObjectKind::times) continue;
    rewriteObject(*o, options);
    break;
  }
  finalTidyPass(selection);
}

void derivativesOnlyAction(InsertionPoint&, MathObject& selection) {
  derivativeSteps(selection, {.switches = simplifySwitches()});
}

void simplifyHoldingDerivativesAction(InsertionPoint& ip, MathObject& selection) {
  SimplifyOptions options{.switches = simplifySwitches()};
  options.switches.derivativesHeld = true;
  simplifySelection(ip, selection, options);
}

void compactFractionsAction(InsertionPoint&, MathObject& selection) {
  rewritePass(selection, {.switches = simplifySwitches(), .compactFractionsMode = true});
}

constexpr AlgebraActionRow kSimplifyActions[] = {
    {Command::Simplify, simplifyAction},
    {Command::KeepProducts, keepProductsAction},
    {Command::Expand, expandAction},
    {Command::ExpandOnce, expandOnceAction},
    {Command::DerivativesOnly, derivativesOnlyAction},
    {Command::SimplifyHoldingDerivatives, simplifyHoldingDerivativesAction},
    {Command::CompactFractions, compactFractionsAction},
};

} // namespace

std::span<const AlgebraActionRow> simplifyActions() { return kSimplifyActions; }

} // namespace vexmar
