#pragma once

#include "model/insertion_point.h"

#include <array>
#include <memory>
#include <string_view>

namespace vexmar {

/// One equation of a document: its tree (through its insertion point) and the settings the
/// graphs read and write back.
struct EquationRecord {
  std::unique_ptr<InsertionPoint> insertionPoint = createLineState();
  double colourCode = 1.0;  ///< 1-8 a colour, 10-16 a surface pattern, 999 the texture
  double resolutionA = 0.5; ///< sampling density in [0, 1]
  double resolutionB = 1.0; ///< handed unchanged to the graph builders
  double curveMode = 2.0;   ///< 0, 1 or 2
  double plotStyle = 1.0;   ///< 1 surface, 2 density, 3 contour
  int graphIndex = -1;      ///< -1 when not graphed
  int messageSwitch = 1;    ///< the equation's message line shows only while this is non-zero
  int status = 0;           ///< what the equation's graph reports
};

inline constexpr double kTextureColourCode = 999.0;

/// A colour code with its names: the string-table name and the colour menu's label and command.
struct ColourCode {
  int code;
  std::string_view name;
  std::string_view menuLabel;
  int commandId;
};

/// Codes 1-8 (colours), 10-16 (surface patterns) and 999 (the texture).
[[nodiscard]] const std::array<ColourCode, 16>& colourCodes();
[[nodiscard]] const ColourCode* findColourCode(double code);
/// 999 exactly, or a whole number from 1 to 16 other than 9.
[[nodiscard]] bool isColourCodeValid(double code);

} // namespace vexmar
