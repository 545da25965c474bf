#pragma once

#include "model/insertion_point.h"

#include <cstdint>
#include <vector>

namespace vexmar {

class Typesetter;

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

/// The typesetter's process-wide state: the typesetter the editor lays lines out with (installed by
/// the view or a headless subcommand; not owned) and the anchor of keyboard selection.
struct TypesettingState {
  Typesetter* typesetter = nullptr;
  SelectionAnchor selection;
};

[[nodiscard]] TypesettingState& typesettingState();
/// Forgets the installed typesetter and the anchor (tests call this).
void resetTypesettingState();

} // namespace vexmar
