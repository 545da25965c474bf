#pragma once

#include "model/insertion_point.h"
#include "typeset/caret_geometry.h"

#include <cstdint>
#include <vector>

namespace vexmar {

/// A caret position kept across keyboard selection extensions, by path so that it can never
/// point into a freed node.
struct KeptCaret {
  std::vector<int> path;
  SelectionMode mode = SelectionMode::Object;
  int selFirst = 0;
  int selLast = 0;
};

/// Where a selection extended from the keyboard started and where its moving end stands, with the
/// selection the last extension left (a different selection means the user did something else).
struct SelectionAnchor {
  std::uint64_t line = 0; ///< the serial of the line, 0 when there is no anchor
  KeptCaret anchor;       ///< the fixed end, as a caret
  KeptCaret moving;       ///< the moving end, as a caret
  KeptCaret result;       ///< the selection the last extension made
};

/// Places the caret for a click at a point of the drawn line, and anchors later drag and keyboard
/// selection there.
void clickAt(Typesetter& typesetter, InsertionPoint& ip, LinePoint drawn);

/// Extends the selection one step to the right or left (Shift+arrows) with the installed
/// typesetter, producing the selection a mouse drag from the anchor over the passed objects makes.
/// Does nothing when no typesetter is installed.
void extendSelection(InsertionPoint& ip, bool right);

} // namespace vexmar
