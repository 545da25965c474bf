#pragma once

#include "editor/undo_snapshot.h"

#include <cstddef>
#include <cstdint>
#include <deque>

namespace vexmar {

/// The edit steps Undo and Redo walk through, across every line: for Undo the state of a line
/// before each step, newest last; for Redo the states Undo replaced. A new step drops the Redo
/// steps; beyond kDepth steps the oldest are forgotten.
class UndoHistory {
public:
  static constexpr std::size_t kDepth = 100;

  /// Records the state before a new edit step (nothing new when it equals the newest step's).
  void record(UndoSnapshot snapshot);
  /// Restores the newest Undo step into `ip`, which must be that step's line, and keeps the
  /// present state for Redo. Steps that would change nothing are passed over. False when there is
  /// no step for `ip` at the end of the history, or the line has no tree.
  bool undo(InsertionPoint& ip);
  /// The mirror of undo for the Redo steps.
  bool redo(InsertionPoint& ip);

  /// The serial of the line the next Undo (Redo) changes; 0 when there is none.
  [[nodiscard]] std::uint64_t undoLine() const { return undo_.empty() ? 0 : undo_.back().lineSerial; }
  [[nodiscard]] std::uint64_t redoLine() const { return redo_.empty() ? 0 : redo_.back().lineSerial; }
  [[nodiscard]] std::size_t undoSteps() const { return undo_.size(); }
  [[nodiscard]] std::size_t redoSteps() const { return redo_.size(); }
  /// The newest Undo step; null when there is none.
  [[nodiscard]] const UndoSnapshot* newest() const { return undo_.empty() ? nullptr : &undo_.back(); }

  /// Drops every step of a line that no longer exists.
  void forgetLine(std::uint64_t serial);
  void clear();

private:
  std::deque<UndoSnapshot> undo_;
  std::deque<UndoSnapshot> redo_;
};

} // namespace vexmar
