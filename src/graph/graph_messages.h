#pragma once

#include <cstdint>
#include <string_view>

namespace vexmar {

/// Why an equation cannot be graphed; shown under it as string 61500 + code.
enum class CanGraphReason : std::uint8_t {
  WrongForm = 0,
  QuestionMarks = 1,
  ParameterT = 2,
  ParametersUV = 3,
  MixedCoordinateSystems = 4,
  Inequality2DIn3D = 5,
  VectorPlot2DIn3D = 6,
  ConditionNotAppropriate = 7,
  NoEquation = 8,
  ConditionUnparsable = 9,
};

/// What a built graph reports about itself; shown under its equation as string 61483 + code.
enum class GraphStatus : std::uint8_t {
  None = 0,
  UndefinedInRegion = 1,
  UndefinedOrInfiniteInRegion = 2,
  UndefinedInDomain = 3,
  InfiniteInDomain = 4,
  CurveOutsideRegion = 5,
  NotSatisfiedAnywhere = 6,
  NotSatisfiedInRegion = 7,
  FalseEverywhere = 8,
  FalseInRegion = 9,
  UndefinedOrConstantInRegion = 10,
  UndefinedOrInfiniteForRanges = 11,
  NotSatisfiedInRanges = 12,
};

inline constexpr int kCanGraphReasonStringBase = 61500;
inline constexpr int kGraphStatusStringBase = 61483;
inline constexpr int kCanGraphReasonCount = 10;
inline constexpr int kGraphStatusCount = 13;

/// The message of a reason; empty for a code outside the table.
[[nodiscard]] std::string_view canGraphReasonMessage(CanGraphReason reason);
/// The message of a status; empty for None (no line is shown) and for codes outside the table.
[[nodiscard]] std::string_view graphStatusMessage(GraphStatus status);
/// The string-table text of an id in either table (including the equation view's editing hints
/// 61510..61512); empty for any other id.
[[nodiscard]] std::string_view graphStringById(int id);

} // namespace vexmar
