#pragma once

namespace vexmar {

struct MathObject;
namespace detail {
struct RewriteContext;
}

/// The rewrite rule of powers, whose base and exponent are already rewritten: numeric powers
/// folded, binomials multiplied out in expand mode, exact roots taken, integral powers split over
/// products, quotients and signs, and powers of iota.
void rewritePower(MathObject& o, detail::RewriteContext& context);

} // namespace vexmar
