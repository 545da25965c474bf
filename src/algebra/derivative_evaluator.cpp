#include "algebra/derivative_evaluator.h"

#include "algebra/derivative_steps.h"
#include "algebra/tree_services.h"
#include "model/work_budget.h"

namespace vexmar {
namespace {

constexpr std::size_t kDerivativeSizeFactor = 16;
constexpr std::size_t kDerivativeSizeAllowance = 2000;

} // namespace

std::unique_ptr<Evaluator> makeDerivativeEvaluator(const Evaluator& source, std::uint16_t letter) {
  try {
    const WorkBudgetScope budget(kDerivativeEvaluatorBudget.objects, kDerivativeEvaluatorBudget.milliseconds);
    ObjectPtr derivative =
        makeObject(ObjectKind::PartialDerivativeKind, cloneTree(source.tree()), makeVariable(letter));
    runDerivativeEngine(*derivative);
    // The slope is evaluated as often as the function; one that costs far more than the
    // function slows every sample down more than its checks are worth.
    const std::size_t sourceSize = countObjects(source.tree());
    if (countObjects(*derivative) > kDerivativeSizeFactor * sourceSize + kDerivativeSizeAllowance)
      return nullptr;
    return std::make_unique<Evaluator>(std::move(derivative));
  } catch (const WorkBudgetSpent&) {
    // The curve is drawn without the checks that need its slope.
    return nullptr;
  }
}

} // namespace vexmar
