#include "algebra/actions/algebra_actions.h"

#include "algebra/evaluate.h"
#include "algebra/isolate.h"
#include "algebra/simplify.h"
#include "algebra/substitution.h"
#include "algebra/tree_services.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vexmar {
namespace {

using K = ObjectKind;

void simplifyWhenAutomatic(InsertionPoint& ip, MathObject& selection) {
  const SimplifySwitches& switches = simplifySwitches();
  if (switches.simplifyAfterSubstitution) simplifySelection(ip, selection, {.switches = switches});
}

ActionReport isolateAction(InsertionPoint& ip, MathObject& selection) {
  const MathObject* parent = selection.parent;
  const bool alone =
      parent && parent->kind == K::equal && parent->childCount() == 2 && selection.indexInParent == 0;
  switch (isolateSelection(ip, selection, {.switches = simplifySwitches()})) {
  case IsolateOutcome::Isolated:
    return alone ? ActionReport{ActionOutcome::AlreadyIsolated, {}} : ActionReport{};
  case IsolateOutcome::NotInEquation:
    return {ActionOutcome::NotInEquation, {}};
  case IsolateOutcome::NoInverse:
    return {ActionOutcome::NoInverse, {}};
  }
  return {};
}

// Evaluate with letters left that have no value: said so when nothing could be evaluated.
ActionReport evaluated(const std::vector<std::uint16_t>& letters) {
  if (letters.empty()) return {};
  return {ActionOutcome::FreeLetters, letterNames(letters)};
}

ActionReport evaluateAction(InsertionPoint& ip, MathObject& selection) {
  const std::vector<std::uint16_t> letters = freeLetters(selection);
  evaluateSelection(ip, selection, {.switches = simplifySwitches()});
  return evaluated(letters);
}

ActionReport substituteAction(InsertionPoint& ip, MathObject& selection) {
  if (carryOutSubstitutions(selection)) simplifyWhenAutomatic(ip, selection);
  return {};
}

ActionReport peelAction(InsertionPoint& ip, MathObject& selection) {
  const std::vector<MathObject*> found =
      collectPreorder(selection, [](const MathObject& n) { return n.kind == K::sum || n.kind == K::prod; });
  // Inner operators first, so that peeling an outer one copies the already peeled body.
  bool any = false;
  for (auto it = found.rbegin(); it != found.rend() && !memoryReserve().isLow(); ++it)
    any = peelTerm(**it) || any;
  if (any) simplifyWhenAutomatic(ip, selection);
  return {};
}

// An equation whose left side has no value, y = 2 + 3, names what its right side computes: the
// left side stays and each side after it is evaluated in place, as Evaluate would.
ActionReport evaluateRightSides(InsertionPoint& ip, MathObject& equation) {
  std::vector<std::uint16_t> letters;
  for (int i = 1; i < equation.childCount(); ++i) {
    MathObject* side = equation.child(i);
    if (!side) continue;
    for (const std::uint16_t letter : freeLetters(*side))
      if (std::find(letters.begin(), letters.end(), letter) == letters.end()) letters.push_back(letter);
    setInsertionPoint(ip, *side, SelectionMode::Object);
    evaluateSelection(ip, *side, {.switches = simplifySwitches()});
  }
  if (MathObject* last = equation.child(equation.childCount() - 1))
    setInsertionPoint(ip, *last, SelectionMode::Object);
  return evaluated(letters);
}

// The expression, "=", and its evaluated copy on the right; as Evaluate, it tells when free
// letters left that copy as it was. An equation is evaluated again from its left side, the right
// side being the value written last time; unless the left side has no value to give.
ActionReport evaluateIntoEquationAction(InsertionPoint& ip, MathObject&) {
  if (!ip.root) return {};
  MathObject& root = *ip.root;
  if (root.kind == K::equal && root.childCount() >= 2 && root.child(0) &&
      !freeLetters(*root.child(0)).empty())
    return evaluateRightSides(ip, root);
  const MathObject& expression = root.kind == K::equal && root.childCount() >= 1 ? *root.child(0) : root;
  const std::vector<std::uint16_t> letters = freeLetters(expression);
  ObjectPtr equation = makeObject(K::equal, cloneTree(expression), cloneTree(expression));
  replaceWithTree(std::move(equation), root);
  MathObject& value = *root.child(1);
  setInsertionPoint(ip, value, SelectionMode::Object);
  evaluateSelection(ip, value, {.switches = simplifySwitches()});
  setInsertionPoint(ip, *root.child(1), SelectionMode::Object);
  ActionReport report = evaluated(letters);
  report.workChangedNothing =
      root.childCount() == 2 && root.child(0) && root.child(1) && treeEqual(*root.child(0), *root.child(1));
  return report;
}

constexpr std::array<AlgebraActionRow, 5> kCalculusActions = {{
    {Command::PeelTerms, peelAction},
    {Command::CarryOutSubstitutions, substituteAction},
    {Command::IsolateTerm, isolateAction},
    {Command::Evaluate, evaluateAction},
    {Command::EvaluateIntoEquation, evaluateIntoEquationAction},
}};

} // namespace

std::span<const AlgebraActionRow> calculusActions() { return kCalculusActions; }

} // namespace vexmar
