#pragma once

#include "model/math_object.h"

namespace vexmar {

/// Tries the rule (or, for a `list`, each rule in order until one matches) on `target`; on a
/// match target is rewritten in place into the right side with the pattern variables (`dummy`
/// objects of the left side) substituted. A rule is a `rightarrow` or an `equal` chain whose last
/// operand is the right side and whose earlier operands are left sides.
bool applyRule(const MathObject& rules, MathObject& target);

/// Applies the rules throughout `subtree` in pre-order; after a rewrite the walk continues after
/// the rewritten object. Returns the number of rewrites.
int applyRules(const MathObject& rules, MathObject& subtree);

/// True when `rule` is a rightarrow whose first operand is a `string` beginning with a backslash:
/// such a rule defines a name rather than a rewrite.
[[nodiscard]] bool isNamedDefinition(const MathObject& rule);

} // namespace vexmar
