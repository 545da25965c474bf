#pragma once
// Exponents and root indices written as integer literals: the compiler runs them as exact rational
// powers, and Simplify takes the same ones as real below zero where the denominator is odd.

#include "model/math_object.h"

#include <cstdint>
#include <optional>

namespace vexmar {

/// An exact rational number p/q in lowest terms, q > 0.
struct Rational {
  std::int64_t p;
  std::int64_t q;
};

/// p/q in lowest terms; nothing when q is 0 or either grows beyond 2^30.
[[nodiscard]] std::optional<Rational> rationalOf(std::int64_t p, std::int64_t q);

/// The value of a tree made of integer literals by sums, products, quotients, negation and
/// parentheses (the 2/3 of x^(2/3), or the 1/3 + -1 of its derivative); nothing for any other, or
/// for one whose terms grow beyond 2^30 or nest deeper than 16.
[[nodiscard]] std::optional<Rational> literalRational(const MathObject& node);

} // namespace vexmar
