#include "numeric/literal_rational.h"

#include <cmath>
#include <numeric>

namespace vexmar {
namespace {

bool allChildren(const MathObject& node) {
  for (const ObjectPtr& c : node.children)
    if (!c) return false;
  return true;
}

// Rationals read from literals stay this small, so that no sum or product of two overflows; nor
// are they nested deeper than this, so that reading one takes a small stack.
constexpr std::int64_t kRationalLimit = std::int64_t{1} << 30;
constexpr int kRationalDepth = 16;

// The value of a tree made of integer literals by sums, products, quotients, negation and
// parentheses (the 2/3 of x^(2/3), or the 1/3 + -1 of its derivative); nothing for any other.
std::optional<Rational> rationalOfTree(const MathObject& node, int depth) {
  if (node.kind == ObjectKind::num) {
    const double v = node.number ? node.number->value : std::nan("");
    if (!(std::fabs(v) <= static_cast<double>(kRationalLimit)) || std::trunc(v) != v) return std::nullopt;
    return Rational{static_cast<std::int64_t>(v), 1};
  }
  const int n = node.childCount();
  const bool single = n == 1 && (node.kind == ObjectKind::id || node.kind == ObjectKind::minus);
  const bool combining = n >= 1 && (node.kind == ObjectKind::plus || node.kind == ObjectKind::times ||
                                    (node.kind == ObjectKind::over && n == 2));
  if (!(single || combining) || depth >= kRationalDepth || !allChildren(node)) return std::nullopt;
  std::optional<Rational> r = rationalOfTree(*node.child(0), depth + 1);
  if (r && node.kind == ObjectKind::minus) r->p = -r->p;
  for (int i = 1; r && i < n; ++i) {
    const std::optional<Rational> next = rationalOfTree(*node.child(i), depth + 1);
    if (!next) return std::nullopt;
    if (node.kind == ObjectKind::plus)
      r = rationalOf(r->p * next->q + next->p * r->q, r->q * next->q);
    else if (node.kind == ObjectKind::times)
      r = rationalOf(r->p * next->p, r->q * next->q);
    else
      r = rationalOf(r->p * next->q, r->q * next->p);
  }
  return r;
}

} // namespace

std::optional<Rational> rationalOf(std::int64_t p, std::int64_t q) {
  if (q == 0) return std::nullopt;
  if (q < 0) {
    p = -p;
    q = -q;
  }
  const std::int64_t common = std::gcd(p, q);
  p /= common;
  q /= common;
  if (p > kRationalLimit || p < -kRationalLimit || q > kRationalLimit) return std::nullopt;
  return Rational{p, q};
}

std::optional<Rational> literalRational(const MathObject& node) { return rationalOfTree(node, 0); }

} // namespace vexmar
