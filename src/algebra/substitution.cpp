#include "algebra/substitution.h"

#include "algebra/tree_services.h"
#include "model/memory_reserve.h"

#include <vector>

namespace vexmar {
namespace {

using K = ObjectKind;

bool isSubstitutionEquation(const MathObject* o) {
  return o && o->kind == K::equal && o->childCount() == 2 && o->child(0) && o->child(1);
}

} // namespace

void substituteInto(MathObject& target, const MathObject& pattern, const MathObject& value) {
  MathObject* node = &target;
  while (node) {
    if (treeEqual(*node, pattern)) {
      replaceWithTree(cloneTree(value), *node);
      node = nextAfterSubtree(*node, target);
    } else {
      node = nextPreorder(*node, target);
    }
  }
}

bool carryOutSubstitution(MathObject& substitution) {
  if (substitution.kind != K::substitution || substitution.childCount() < 2) return false;
  for (int i = 1; i < substitution.childCount(); ++i)
    if (!isSubstitutionEquation(substitution.child(i))) return false;
  // The replacement values are not searched, so x where x = x + 1 ends.
  for (int i = 1; i < substitution.childCount(); ++i) {
    const MathObject& equation = *substitution.child(i);
    substituteInto(*substitution.child(0), *equation.child(0), *equation.child(1));
  }
  replaceObject(removeChild(substitution, 0), substitution);
  return true;
}

bool carryOutSubstitutions(MathObject& subtree) {
  const std::vector<MathObject*> found =
      collectPreorder(subtree, [](const MathObject& n) { return n.kind == K::substitution; });
  // Later in pre-order first: an inner substitution is done before the one around it copies it.
  bool any = false;
  for (auto it = found.rbegin(); it != found.rend() && !memoryReserve().isLow(); ++it)
    any = carryOutSubstitution(**it) || any;
  return any;
}

bool peelTerm(MathObject& bigOperator) {
  if ((bigOperator.kind != K::sum && bigOperator.kind != K::prod) || bigOperator.childCount() != 3)
    return false;
  MathObject& lower = *bigOperator.child(1);
  if (!isSubstitutionEquation(&lower) || lower.child(0)->kind != K::char_) return false;
  const MathObject& index = *lower.child(0);
  MathObject& start = *lower.child(1);
  ObjectPtr first = cloneTree(*bigOperator.child(0));
  substituteInto(*first, index, start);
  if (treeEqual(start, *bigOperator.child(2))) {
    replaceWithTree(std::move(first), bigOperator);
    return true;
  }
  replaceWithTree(makePlus(cloneTree(start), makeAlgebraNumber(1)), start);
  ObjectPtr rest = cloneTree(bigOperator);
  replaceWithTree(bigOperator.kind == K::sum ? makePlus(std::move(first), std::move(rest))
                                             : makeTimes(std::move(first), std::move(rest)),
                  bigOperator);
  return true;
}

} // namespace vexmar
