#pragma once

#include "numeric/evaluator.h"

#include <array>
#include <cstdint>
#include <memory>

namespace vexmar {

/// How a graph is coloured.
enum class GraphStyleMode : std::uint8_t {
  PlainColour = 0,
  // 1..7 are the surface patterns.
  Texture = 8,
  RgbFormula = 9,
  HsvFormula = 10,
};

/// A colour as 0x00BBGGRR.
using ColourRef = std::uint32_t;

/// One graph's colour or pattern; owned by the graph object it is given to.
struct GraphStyle {
  int mode = 0; ///< a GraphStyleMode, or 1..7 for a surface pattern
  ColourRef colour = 0xCE00CE;
  /// The colour formula's three entries (modes 9 and 10).
  std::array<std::unique_ptr<Evaluator>, 3> colourEvaluators;

  /// Sets mode and colour from an equation's colour index (held as a double).
  void setFromColourIndex(double colourIndex);
};

/// The plain colour of index 1..8; white for any other index.
[[nodiscard]] ColourRef colourForIndex(int colourIndex);

} // namespace vexmar
