#pragma once

#include <cstdint>
#include <vector>

namespace vexmar {

struct InsertionPoint;
struct MathObject;
struct SimplifyOptions;

/// Every constant part of the subtree becomes its value (an interval literal's value stays an
/// interval), except the letter e as the base of a power; then the final tidy pass.
void replaceConstantsByValues(MathObject& subtree);

/// One evaluation step on the object, by its kind (substitution, logarithm rules, factorial,
/// determinant, binomial coefficient, powers with a numeric exponent, peeling a term off a sum or
/// product). Returns false when its kind has none or it does not apply.
bool evaluationStep(MathObject& object, const SimplifyOptions& options);

/// The codes of the letters in the subtree that Evaluate has no value for, each once, in reading
/// order: not e, pi, the degree sign or the animated letter, nor a letter that a sum, product,
/// limit or substitution binds.
[[nodiscard]] std::vector<std::uint16_t> freeLetters(const MathObject& subtree);

/// Evaluate: equations lifted, constants replaced by values, Simplify, then one evaluation step on the
/// selection.
void evaluateSelection(InsertionPoint& ip, MathObject& selection, const SimplifyOptions& options);

} // namespace vexmar
