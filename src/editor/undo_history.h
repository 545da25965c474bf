#pragma once

#include "editor/line_removal.h"
#include "editor/undo_snapshot.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <variant>

namespace vexmar {

/// One step of the history: the state of a line before an edit, or a line taken out of the list.
using UndoStep = std::variant<UndoSnapshot, LineRemoval>;

/// The edit steps Undo and Redo walk through, across every line: for Undo the state of a line
/// before each step, newest last; for Redo the states Undo replaced. A step may also be the
/// removal of a whole line from the list. A new step drops the Redo steps; beyond kDepth steps
/// the oldest are forgotten.
class UndoHistory {
public:
  static constexpr std::size_t kDepth = 100;

  /// Records the state before a new edit step (nothing new when it equals the newest step's).
  void record(UndoSnapshot snapshot);
  /// Restores the newest Undo step into `ip`, which must be that step's line, and keeps the
  /// present state for Redo. Steps that would change nothing are passed over. False when there is
  /// no step for `ip` at the end of the history, the newest step removed a line, or the line has
  /// no tree.
  bool undo(InsertionPoint& ip);
  /// The mirror of undo for the Redo steps.
  bool redo(InsertionPoint& ip);

  /// Records the removal of a line from the list as a new edit step; the step holds the line.
  void recordRemoval(LineRemoval removal);
  /// Whether the next Undo puts a removed line back (the next Redo removes one again).
  [[nodiscard]] bool undoRestoresLine() const;
  [[nodiscard]] bool redoRemovesLine() const;
  /// Undoes the newest step when it removed a line: `restore` takes the step's line and puts it
  /// back at the step's position; the step then waits for Redo. False when the newest step is none.
  bool undoRemoval(const std::function<void(LineRemoval&)>& restore);
  /// Redoes the newest Redo step when it removed a line: `detach` takes the line out of the list
  /// again into the step, with the position it had, and the step waits for Undo. False when the
  /// step is none, or when `detach` returns false (the line is gone; the step is dropped).
  bool redoRemoval(const std::function<bool(LineRemoval&)>& detach);

  /// The serial of the line the next Undo (Redo) changes; 0 when there is none.
  [[nodiscard]] std::uint64_t undoLine() const { return undo_.empty() ? 0 : lineOf(undo_.back()); }
  [[nodiscard]] std::uint64_t redoLine() const { return redo_.empty() ? 0 : lineOf(redo_.back()); }
  [[nodiscard]] std::size_t undoSteps() const { return undo_.size(); }
  [[nodiscard]] std::size_t redoSteps() const { return redo_.size(); }
  /// The newest Undo step; null when there is none or it removed a line.
  [[nodiscard]] const UndoSnapshot* newest() const;

  /// Drops every step of a line that no longer exists.
  void forgetLine(std::uint64_t serial);
  void clear();

private:
  [[nodiscard]] static std::uint64_t lineOf(const UndoStep& step);

  std::deque<UndoStep> undo_;
  std::deque<UndoStep> redo_;
};

} // namespace vexmar
