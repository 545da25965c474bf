#pragma once

#include "document/equation_record.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vexmar {

/// The ordered list of a document's equations, without any window or file around it.
class DocumentModel {
public:
  /// A new record with the defaults and the next free colour, directly after position `index`
  /// (at the front for -1, appended when `index` is the last position or beyond).
  EquationRecord& addEquation(int index);
  /// Removes and frees the record; an index out of range does nothing.
  void removeEquation(int index);
  /// Removes every equation, last first.
  void deleteContents();
  /// Empties the document and adds its one new equation.
  void newDocument();

  [[nodiscard]] int equationCount() const { return static_cast<int>(equations_.size()); }
  [[nodiscard]] EquationRecord& equation(int index) { return *equations_[static_cast<std::size_t>(index)]; }
  [[nodiscard]] const EquationRecord& equation(int index) const {
    return *equations_[static_cast<std::size_t>(index)];
  }

  [[nodiscard]] bool anyUsesTexture() const;
  /// True when some equation's tree contains the animated letter.
  [[nodiscard]] bool anyUsesAnimationVariable() const;
  /// The index of the record holding `ip`; 0 when none does.
  [[nodiscard]] int equationIndexOf(const InsertionPoint* ip) const;

  bool loaded = false; ///< set after a document was read successfully

private:
  [[nodiscard]] double colourForNewEquation(int neighbour) const;
  std::vector<std::unique_ptr<EquationRecord>> equations_;
};

} // namespace vexmar
