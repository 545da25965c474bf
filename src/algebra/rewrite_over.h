#pragma once

namespace vexmar {

struct MathObject;
namespace detail {
struct RewriteContext;
}

/// The rewrite rule of quotients, whose parts are already rewritten: signs pulled out, numeric
/// fractions reduced, compound fractions flattened and common factors cancelled.
void rewriteFraction(MathObject& o, detail::RewriteContext& context);

} // namespace vexmar
