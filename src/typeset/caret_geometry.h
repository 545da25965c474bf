#pragma once

#include "model/insertion_point.h"
#include "typeset/typesetter.h"

#include <vector>

namespace vexmar {

/// A rectangle in line coordinates (16.16, y growing downward).
struct CaretRectangle {
  Fixed x = 0, y = 0, width = 0, height = 0;
};

/// How a laid-out line shows its insertion point: a caret bar (modes 3, 4, 5, and 7 without a
/// selection) or the highlight behind the selection.
struct CaretShape {
  bool bar = false;
  Fixed barX = 0, barTop = 0, barBottom = 0, barWidth = 0;
  std::vector<CaretRectangle> highlight;
};

/// Where the caret or the selection of a laid-out line is drawn, in line coordinates.
[[nodiscard]] CaretShape caretShape(Typesetter& typesetter, const InsertionPoint& ip);

/// A point of a line: in line coordinates (the unbroken layout) or as drawn (display lines
/// stacked, each moved left to the start of its part).
struct LinePoint {
  Fixed x = 0, y = 0;
};
[[nodiscard]] LinePoint displayToLine(const InsertionPoint& ip, LinePoint drawn);
[[nodiscard]] LinePoint lineToDisplay(const InsertionPoint& ip, LinePoint point);

/// Places the caret for a click at a point of the drawn line.
void placeCaretAt(Typesetter& typesetter, InsertionPoint& ip, LinePoint drawn);
/// Selects what a drag from `press` to `current` (both as drawn) covers.
void dragTo(Typesetter& typesetter, InsertionPoint& ip, LinePoint press, LinePoint current);

/// The centre of a placed node's box, in line coordinates.
[[nodiscard]] LinePoint centreOf(const MathObject& o);

} // namespace vexmar
