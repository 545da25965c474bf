#include "algebra/algebra_actions.h"

namespace vexmar {

// Simplify and Expand are added here as they are built.
std::span<const AlgebraActionRow> simplifyActions() { return {}; }

} // namespace vexmar
