#pragma once

#include "model/number_record.h"
#include "numeric/interval.h"

#include <string_view>

namespace vexmar {

/// The enclosure of the real number a text names, given the double it was read as: the double
/// itself when the text is exactly that double (3, 0.5, 1e300), otherwise the double and its
/// neighbour on the side of the real number (0.1 lies just above its double). Text that is no
/// decimal number stands for its double.
[[nodiscard]] IntervalValue decimalEnclosure(std::string_view text, double value);

/// The real number a num object stands for: its display text when that reads as its value (the
/// number the user typed), otherwise the value itself (a result shown rounded).
[[nodiscard]] IntervalValue numberEnclosure(const NumberRecord& number);

} // namespace vexmar
