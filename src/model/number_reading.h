#pragma once

#include <string_view>

namespace vexmar {

/// Reads a number after leading blanks: "Infinity" gives +inf, "NaN" NaN, otherwise a decimal
/// with the user's separator; NaN when nothing can be read.
[[nodiscard]] double parseNumber(std::string_view text);

} // namespace vexmar
