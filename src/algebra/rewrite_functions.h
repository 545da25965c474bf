#pragma once

namespace vexmar {

struct MathObject;
namespace detail {
struct RewriteContext;
}

// The rewrite rules of functions that have exact values; the arguments are already rewritten.

/// An exact root becomes its value; any other root the power with exponent 1/n.
void rewriteSqrt(MathObject& o, detail::RewriteContext& context);
/// Mantissa and exponent become one number.
void rewriteScientific(MathObject& o, detail::RewriteContext& context);
/// ln e = 1, ln 1 = 0.
void rewriteLn(MathObject& o, detail::RewriteContext& context);
/// log 1 = 0.
void rewriteLog(MathObject& o, detail::RewriteContext& context);
/// 0! to 4!.
void rewriteFactorial(MathObject& o, detail::RewriteContext& context);
/// A derivative of order 1 drops its order.
void rewriteDerivativeOperator(MathObject& o, detail::RewriteContext& context);
/// Sine and cosine at whole quarter turns.
void rewriteSine(MathObject& o, detail::RewriteContext& context);
void rewriteCosine(MathObject& o, detail::RewriteContext& context);

} // namespace vexmar
