#pragma once

#include "numeric/evaluator.h"

#include <cstdint>
#include <memory>

namespace vexmar {

/// An uncompiled evaluator of the partial derivative of `source`'s expression with respect to
/// the letter; null when building it would take more than its work budget.
[[nodiscard]] std::unique_ptr<Evaluator> makeDerivativeEvaluator(const Evaluator& source,
                                                                 std::uint16_t letter);

} // namespace vexmar
