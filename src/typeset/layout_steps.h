#pragma once

#include "model/insertion_point.h"
#include "typeset/typesetter.h"

#include <vector>

namespace vexmar {

/// Re-formats every `num` whose display text no longer reads back as its value (a computed
/// result); a value shown with an exponent becomes `sn`(mantissa, exponent).
void prepareNumbers(InsertionPoint& ip);

/// True when a child of kind `child` at `index` of a `parent` must be shown in parentheses for
/// the printed form to read as the tree does.
[[nodiscard]] bool needsDisplayParentheses(const MathObject& parent, const MathObject& child);
/// Wraps every child that needs display parentheses in an `id` (the tree keeps them).
void insertDisplayParentheses(InsertionPoint& ip);

/// Gives every node its size level: the root the main size, scripts and limits one level smaller,
/// at most the second script size; exponents of overflowing powers keep their parent's size.
void assignSizeLevels(MathObject& root);

/// Cuts a placed line that overflows its wrap width into display lines at boundaries between the
/// operands of overflowing nodes, each at most the wrap width where a cut allows.
void breakLines(InsertionPoint& ip);

} // namespace vexmar
