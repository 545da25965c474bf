#pragma once

namespace vexmar {

struct MathObject;

// The rewrite rules of functions that have exact values; the arguments are already rewritten.

/// An exact root becomes its value; any other root the power with exponent 1/n.
void rewriteSqrt(MathObject& o);
/// Mantissa and exponent become one number.
void rewriteScientific(MathObject& o);
/// ln e = 1, ln 1 = 0.
void rewriteLn(MathObject& o);
/// log 1 = 0.
void rewriteLog(MathObject& o);
/// 0! to 4!.
void rewriteFactorial(MathObject& o);
/// A derivative of order 1 drops its order.
void rewriteDerivativeOperator(MathObject& o);
/// Sine and cosine at whole quarter turns.
void rewriteSine(MathObject& o);
void rewriteCosine(MathObject& o);

} // namespace vexmar
