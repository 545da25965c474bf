#pragma once

#include "model/insertion_point.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vexmar {

/// A copy of one equation line's tree and caret, taken before an edit.
struct UndoSnapshot {
  ObjectPtr root;
  SelectionMode mode = SelectionMode::Object;
  int selFirst = 0;
  int selLast = 0;
  std::vector<int> path;        ///< child indices from the root to the current object
  std::uint64_t lineSerial = 0; ///< the line it was taken from

  /// Takes a snapshot of the line; none when the line has no tree or memory is low.
  [[nodiscard]] static std::optional<UndoSnapshot> take(const InsertionPoint& ip);
  /// Makes the snapshot the line's state (the line's tree is destroyed).
  void restoreInto(InsertionPoint& ip);
  /// True when both are of the same line and restoring one in place of the other would leave the
  /// tree as it is (number texts and layout adjustments included); the caret may differ.
  [[nodiscard]] bool sameTreeAs(const UndoSnapshot& other) const;
};

} // namespace vexmar
