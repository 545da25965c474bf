#pragma once

#include "model/math_object.h"

#include <cstdint>
#include <vector>

namespace vexmar {

// Builders: each takes ownership of the subtrees it is given and links them as children.
[[nodiscard]] ObjectPtr makeTimes(ObjectPtr a, ObjectPtr b);
[[nodiscard]] ObjectPtr makeTimes(ObjectPtr a, ObjectPtr b, ObjectPtr c);
[[nodiscard]] ObjectPtr makePlus(ObjectPtr a, ObjectPtr b);
[[nodiscard]] ObjectPtr makePower(ObjectPtr a, ObjectPtr b);
[[nodiscard]] ObjectPtr makeOver(ObjectPtr a, ObjectPtr b);
/// a + (-b).
[[nodiscard]] ObjectPtr makeDifference(ObjectPtr a, ObjectPtr b);
[[nodiscard]] ObjectPtr makeNegation(ObjectPtr a);
/// a^2.
[[nodiscard]] ObjectPtr makeSquare(ObjectPtr a);
/// 1 / a.
[[nodiscard]] ObjectPtr makeReciprocal(ObjectPtr a);
/// A one-child object of the kind (sqrt, ln, the trigonometric functions, abs, sgn, ...).
[[nodiscard]] ObjectPtr makeFunction(ObjectKind kind, ObjectPtr a);
/// The partial derivative of a with respect to v, in the algebra's internal form.
[[nodiscard]] ObjectPtr makeDerivative(ObjectPtr a, ObjectPtr v);
/// a where b = c.
[[nodiscard]] ObjectPtr makeSubstitution(ObjectPtr a, ObjectPtr b, ObjectPtr c);
/// A `num` whose display text is left for the typesetter to fill from the value.
[[nodiscard]] ObjectPtr makeAlgebraNumber(double value);
[[nodiscard]] ObjectPtr makeVariable(std::uint16_t code);
/// 1 - a^2 and a^2 - 1 over a copy of a.
[[nodiscard]] ObjectPtr makeOneMinusSquare(const MathObject& a);
[[nodiscard]] ObjectPtr makeSquareMinusOne(const MathObject& a);

/// The constants the builders use.
namespace AlgebraConstant {
inline constexpr double Zero = 0.0, One = 1.0, Two = 2.0, Ten = 10.0;
}

// Replacement.
/// Puts `replacement` in `old`'s place in its parent; old's record takes the new content, so
/// pointers to `old` stay valid and now see the replacement. Returns `old`.
MathObject* replaceWithTree(ObjectPtr replacement, MathObject& old);
MathObject* replaceWithNumber(MathObject& object, double value);
/// Removes every child of the kind (later children move up).
void removeChildrenOfKind(MathObject& object, ObjectKind kind);

// Walks (no recursion; parent links and indices only).
/// The last object of t in pre-order.
[[nodiscard]] MathObject* lastDescendant(MathObject& t);
/// The next sibling of the nearest ancestor-or-self that has one; null at the root.
[[nodiscard]] MathObject* nextPreorderOut(const MathObject& o);
/// First object of t's post-order walk (its leftmost leaf) and the one after `o` in t.
[[nodiscard]] MathObject* firstPostorder(MathObject& t);
[[nodiscard]] MathObject* nextPostorder(const MathObject& o, const MathObject& t);
/// The next object in pre-order after `node`'s whole subtree, staying inside `root`.
[[nodiscard]] MathObject* nextAfterSubtree(const MathObject& node, const MathObject& root);
/// The objects of the subtree (itself included) that pass `test`, in pre-order.
[[nodiscard]] std::vector<MathObject*> collectPreorder(MathObject& subtree, bool (*test)(const MathObject&));

// Tests.
/// A `num` with its value record.
[[nodiscard]] bool isNumber(const MathObject* o);
/// A `num` of exactly this value.
[[nodiscard]] bool isNumber(const MathObject* o, double value);
/// A letter of this code without decoration.
[[nodiscard]] bool isPlainLetter(const MathObject* o, std::uint16_t code);
/// True when some object of t (t included) is of the kind.
[[nodiscard]] bool containsKind(const MathObject& t, ObjectKind kind);
/// True when no subtree of t is structurally equal to s.
[[nodiscard]] bool isFreeOf(const MathObject& t, const MathObject& s);
/// Replaces every `id` in t (t included) by its only child; t's record keeps its place.
void unwrapIdentity(MathObject& t);
/// "f(x)": a product of the letter f and a parenthesised letter x.
[[nodiscard]] bool isFunctionForm(const MathObject& o);
/// An equation that defines a function: it is, or its left side is, an "f(x)".
[[nodiscard]] bool isFunctionDefinition(const MathObject& o);

} // namespace vexmar
