#include "algebra/derivative_evaluator.h"

#include "algebra/derivative_steps.h"
#include "algebra/tree_services.h"

namespace vexmar {

std::unique_ptr<Evaluator> makeDerivativeEvaluator(const Evaluator& source, std::uint16_t letter) {
  ObjectPtr derivative =
      makeObject(ObjectKind::PartialDerivativeKind, cloneTree(source.tree()), makeVariable(letter));
  runDerivativeEngine(*derivative);
  return std::make_unique<Evaluator>(std::move(derivative));
}

} // namespace vexmar
