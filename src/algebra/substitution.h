#pragma once

namespace vexmar {

struct MathObject;

/// Replaces every object of `target` that is structurally equal to `pattern` (for a letter: the
/// same code and decoration) by a copy of `value`. `target` keeps its record.
void substituteInto(MathObject& target, const MathObject& pattern, const MathObject& value);

/// Carries out one `substitution`(f, x = c, ...) object: it becomes f with each equation's left
/// side replaced by its right side, in order. Returns false, changing nothing, when it is not
/// such an object.
bool carryOutSubstitution(MathObject& substitution);
/// Carries out every `substitution` object in the subtree, inner ones first; true when any was.
bool carryOutSubstitutions(MathObject& subtree);

/// One term off a `sum` or `prod` whose lower bound is i = a and upper bound b: f(a) when a equals
/// b, else f(a) added to (or multiplied by) the rest running from a + 1. False when the object
/// has no such bounds.
bool peelTerm(MathObject& bigOperator);

} // namespace vexmar
