#pragma once

namespace vexmar {

struct MathObject;

// The rewrite rules of sums and negations; the children are already rewritten.

/// Folds the numbers, collects like terms and, in compact-fractions mode, puts fractions over
/// one denominator.
void rewritePlus(MathObject& o);
/// Moves the sign onto a number or coefficient, into a sum, or off a double negation.
void rewriteMinus(MathObject& o);

} // namespace vexmar
