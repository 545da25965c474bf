#pragma once

namespace vexmar {

struct MathObject;

/// True when factor `a` belongs before factor `b` in a product (numbers first, then by kind,
/// Greek before Latin letters, `e` last, powers by their bases). Non-commuting factors never
/// come before anything.
[[nodiscard]] bool factorBefore(const MathObject& a, const MathObject& b);

/// True for factors that must keep their place relative to other factors: vectors, operators,
/// matrices, bras and kets.
[[nodiscard]] bool isNonCommuting(const MathObject& factor);

/// Puts the factors of a `times` in canonical order by adjacent swaps. A factor holding a
/// derivative operator stays where it is and nothing moves across it.
void sortFactors(MathObject& product);

} // namespace vexmar
