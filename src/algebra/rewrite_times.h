#pragma once

namespace vexmar {

struct MathObject;
namespace detail {
struct RewriteContext;
}

/// The rewrite rule of products, whose factors are already rewritten: nested products flattened,
/// numbers folded, sums distributed over in expand mode, fractions merged, factors sorted and
/// equal factors collected.
void rewriteTimes(MathObject& o, detail::RewriteContext& context);

} // namespace vexmar
