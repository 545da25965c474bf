#pragma once
// What the rewrite rule files share: the pass's context, the exactness limit and small edits of
// the tree.

#include "algebra/simplify.h"
#include "algebra/tree_services.h"
#include "model/math_object.h"
#include "model/memory_reserve.h"
#include "numeric/real_functions.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace vexmar::detail {

/// One rewrite pass: the command's options and what the pass has done so far.
struct RewriteContext {
  explicit RewriteContext(const SimplifyOptions& passOptions) : options(passOptions) {}

  const SimplifyOptions& options;
  bool distributedOnce = false; ///< expand-once has made its one distribution
  ExpansionLimits refused;      ///< expansions left undone for their size

  /// Products distribute over sums and powers of sums multiply out.
  [[nodiscard]] bool expands() const { return options.expandMode && !distributedOnce; }
};

/// `rewriteObject` and `rewriteBottomUp` within a pass: the rules call these.
void rewriteObject(MathObject& object, RewriteContext& context);
void rewriteBottomUp(MathObject& subtree, RewriteContext& context);

// Doubles hold every integer up to here exactly; folding beyond it would lose digits.
inline constexpr double kExactLimit = Constant::TwoTo53;

inline double valueOf(const MathObject& o) { return o.number->value; }
inline bool isExactInteger(double v) {
  return std::isfinite(v) && std::floor(v) == v && std::fabs(v) <= kExactLimit;
}
inline bool isIntegerNumber(const MathObject* o) { return isNumber(o) && isExactInteger(valueOf(*o)); }

/// A Greek letter's code by name. A search of the table: callers keep the result in a static.
std::uint16_t greekCode(const char* name);

inline bool memoryIsLow() { return memoryReserve().isLow(); }

// A fresh `num` so that the typesetter fills its display text from the new value; -0 is 0.
inline void setNumber(MathObject& o, double value) { replaceObject(makeNumber(value == 0 ? 0.0 : value), o); }

// Replaces `o` by its child i (the record of `o` stays in place).
inline void collapseTo(MathObject& o, int i) { replaceObject(removeChild(o, i), o); }

/// Detaches and returns all of o's children.
std::vector<ObjectPtr> takeChildren(MathObject& o);

/// An object of the kind holding the children in order.
ObjectPtr makeNary(ObjectKind kind, std::vector<ObjectPtr> children);

/// A product of the factors, or the factor itself when there is only one.
ObjectPtr makeProduct(std::vector<ObjectPtr> factors);

/// Moves o's content into a new object of its own kind and makes `o` a `kind` of that object.
void wrapInPlace(MathObject& o, ObjectKind kind);

std::uint64_t gcdOf(double a, double b);

/// The number leading a term or factor list: the object itself or the first factor of a product.
MathObject* leadingNumber(MathObject& o);

/// An exact integral k-th root of v, if there is one.
std::optional<double> exactRoot(double v, double k);

inline const MathObject& baseOf(const MathObject& o) { return o.kind == ObjectKind::power ? *o.child(0) : o; }

bool sameBase(const MathObject& a, const MathObject& b);

/// `o` becomes the fraction of the two products, each rewritten.
void becomeFractionOfProducts(MathObject& o, std::vector<ObjectPtr> numerators,
                              std::vector<ObjectPtr> denominators, RewriteContext& context);

} // namespace vexmar::detail
