#include "algebra/actions/algebra_actions.h"

#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"

#include <string>

namespace vexmar {
namespace {

ActionReport simplifyAction(InsertionPoint& ip, MathObject& selection) {
  liftEquations(selection);
  simplifySelection(ip, selection, {.switches = simplifySwitches()});
  return {};
}

ActionReport keepProductsAction(InsertionPoint&, MathObject& selection) {
  (void)rewritePass(selection, {.switches = simplifySwitches(), .keepProductsMode = true});
  return {};
}

ActionReport expandAction(InsertionPoint&, MathObject& selection) {
  liftEquations(selection);
  const ExpansionLimits refused =
      rewritePass(selection, {.switches = simplifySwitches(), .expandMode = true});
  if (refused.tooManyTerms) return {ActionOutcome::TooManyTerms, std::to_string(kMaxChildren)};
  if (refused.powerTooHigh) return {ActionOutcome::PowerTooHigh, std::to_string(kLargestExpandedPower)};
  return {};
}

ActionReport expandOnceAction(InsertionPoint&, MathObject& selection) {
  const SimplifyOptions options{.switches = simplifySwitches(), .expandMode = true, .expandOnceMode = true};
  unwrapIdentity(selection);
  for (MathObject* o = &selection; o; o = nextPreorder(*o, selection)) {
    if (o->kind != ObjectKind::times) continue;
    rewriteObject(*o, options);
    break;
  }
  finalTidyPass(selection);
  return {};
}

ActionReport derivativesOnlyAction(InsertionPoint&, MathObject& selection) {
  derivativeSteps(selection, {.switches = simplifySwitches()});
  return {};
}

ActionReport simplifyHoldingDerivativesAction(InsertionPoint& ip, MathObject& selection) {
  SimplifyOptions options{.switches = simplifySwitches()};
  options.switches.derivativesHeld = true;
  simplifySelection(ip, selection, options);
  return {};
}

ActionReport compactFractionsAction(InsertionPoint&, MathObject& selection) {
  (void)rewritePass(selection, {.switches = simplifySwitches(), .compactFractionsMode = true});
  return {};
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
