#pragma once

namespace vexmar {

struct MathObject;

/// The rewrite rule of products, whose factors are already rewritten: nested products flattened,
/// numbers folded, sums distributed over in expand mode, fractions merged, factors sorted and
/// equal factors collected.
void rewriteTimes(MathObject& o);

} // namespace vexmar
