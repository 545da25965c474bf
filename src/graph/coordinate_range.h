#pragma once

#include <array>
#include <optional>

namespace vexmar {

/// A closed interval of one coordinate.
struct CoordinateRange {
  double min = 0.0;
  double max = 0.0;

  friend bool operator==(const CoordinateRange&, const CoordinateRange&) = default;
};

/// The coordinate indexes by which ranges are shown and edited.
enum class Coordinate : int { X = 0, Y, Z, R, Theta, Phi, T, U, V };

/// Which graph space keeps a range of its own for a coordinate.
struct CoordinateRow {
  Coordinate coordinate;
  const char* name;
  bool heldByPlane; ///< the plane's x and y come from its window instead
  bool heldBySpace3D;
};

inline constexpr std::array<CoordinateRow, 9> kCoordinateTable = {{
    {Coordinate::X, "x", false, true},
    {Coordinate::Y, "y", false, true},
    {Coordinate::Z, "z", false, true},
    {Coordinate::R, "r", true, true},
    {Coordinate::Theta, "\xCE\xB8", true, true},
    {Coordinate::Phi, "\xCF\x86", false, true},
    {Coordinate::T, "t", true, true},
    {Coordinate::U, "u", false, true},
    {Coordinate::V, "v", false, true},
}};

/// The row of a coordinate index, or nothing for an index outside the table.
[[nodiscard]] std::optional<CoordinateRow> coordinateRow(int index);

} // namespace vexmar
