#pragma once

#include "model/number_reading.h"

#include <optional>
#include <string>
#include <string_view>

namespace vexmar {

/// A number as the user sees it: "Infinity", "NaN", or %.*g with SigFigs and the separator.
[[nodiscard]] std::string formatNumber(double x);

/// As formatNumber, with any exponent cut off and returned, for mantissa x 10^exponent.
struct SplitNumber {
  std::string mantissa;
  std::optional<int> exponent;
};
[[nodiscard]] SplitNumber formatNumberSplit(double x);

/// Readout templates of the string table.
namespace Readout {
inline constexpr std::string_view X = "x: #";
inline constexpr std::string_view Y = "y: #";
inline constexpr std::string_view Equals = "= #";
inline constexpr std::string_view Ellipsis = " ... #";
} // namespace Readout

/// A value for a readout: the "not a number" and "infinity" words, or %.*g with '.'; with a
/// template, its first '#' is replaced by the number (or the template goes in front of it).
[[nodiscard]] std::string formatReadout(double x,
                                        std::optional<std::string_view> textTemplate = std::nullopt);

} // namespace vexmar
