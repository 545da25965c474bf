#include "algebra/algebra_actions.h"

namespace vexmar {

// Differentiation, Isolate, Evaluate and substitution are added here as they are built.
std::span<const AlgebraActionRow> calculusActions() { return {}; }

} // namespace vexmar
