#pragma once

namespace vexmar {

struct MathObject;

/// The rewrite rule of quotients, whose parts are already rewritten: signs pulled out, numeric
/// fractions reduced, compound fractions flattened and common factors cancelled.
void rewriteFraction(MathObject& o);

} // namespace vexmar
