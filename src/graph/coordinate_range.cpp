#include "graph/coordinate_range.h"

namespace vexmar {

std::optional<CoordinateRow> coordinateRow(int index) {
  if (index < 0 || index >= static_cast<int>(kCoordinateTable.size())) return std::nullopt;
  return kCoordinateTable[static_cast<std::size_t>(index)];
}

} // namespace vexmar
