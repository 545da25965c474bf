#pragma once

namespace vexmar {

struct MathObject;
namespace detail {
struct RewriteContext;
}

// The rewrite rules of sums and negations; the children are already rewritten.

/// Folds the numbers, collects like terms and, in compact-fractions mode, puts fractions over
/// one denominator.
void rewritePlus(MathObject& o, detail::RewriteContext& context);
/// Moves the sign onto a number or coefficient, into a sum, or off a double negation.
void rewriteMinus(MathObject& o, detail::RewriteContext& context);

} // namespace vexmar
