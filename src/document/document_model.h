#pragma once

#include "document/equation_record.h"
#include "editor/line_removal.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace vexmar {

/// The ordered list of a document's equations, without any window or file around it.
class DocumentModel {
public:
  /// A new record with the defaults and the next free colour, directly after position `index`
  /// (at the front for -1, appended when `index` is the last position or beyond).
  EquationRecord& addEquation(int index);
  /// Removes and frees the record, and the line's Undo steps with it; an index out of range does
  /// nothing.
  void removeEquation(int index);
  /// Removes equation `index` as one Undo step that keeps it whole (tree, caret and settings), so
  /// that Undo puts it back in its place and Redo removes it again. The only equation gives way
  /// to a new empty one, which that Undo takes away again while it is still empty. False for an
  /// index out of range.
  bool deleteEquation(int index);
  /// Undoes the history's newest step when it deleted an equation: returns the index the
  /// equation is back at; nothing when the newest step is no deletion.
  std::optional<int> undoDeletion();
  /// Redoes the history's next Redo step when it deleted an equation: returns the index the
  /// equation had; nothing when that step is no deletion.
  std::optional<int> redoDeletion();
  /// Removes every equation, last first.
  void deleteContents();
  /// Empties the document and adds its one new equation.
  void newDocument();
  /// Empties the document and takes `records` in their order; an empty list gives the one new
  /// equation of a new document.
  void replaceContents(std::vector<std::unique_ptr<EquationRecord>> records);

  [[nodiscard]] int equationCount() const { return static_cast<int>(equations_.size()); }
  [[nodiscard]] EquationRecord& equation(int index) { return *equations_[static_cast<std::size_t>(index)]; }
  [[nodiscard]] const EquationRecord& equation(int index) const {
    return *equations_[static_cast<std::size_t>(index)];
  }

  [[nodiscard]] bool anyUsesTexture() const;
  /// True when some equation uses the animated letter, not counting the n of a name such as n_1.
  [[nodiscard]] bool anyUsesAnimationVariable() const;
  /// The index of the record holding `ip`; 0 when none does.
  [[nodiscard]] int equationIndexOf(const InsertionPoint* ip) const;

  bool loaded = false; ///< set after a document was read successfully

private:
  [[nodiscard]] double colourForNewEquation(int neighbour) const;
  /// The index of the equation whose line has the serial; -1 when none has.
  [[nodiscard]] int indexOfLine(std::uint64_t serial) const;
  /// Takes equation `index` out into `removal`, leaving a new empty equation when it was the only
  /// one.
  void detachInto(int index, LineRemoval& removal);
  std::vector<std::unique_ptr<EquationRecord>> equations_;
};

} // namespace vexmar
