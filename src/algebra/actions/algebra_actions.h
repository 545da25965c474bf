#pragma once

#include "editor/editor_command.h"

#include <span>

namespace vexmar {

struct InsertionPoint;
struct MathObject;

/// One algebra action: the editor command and what it does to the selected object. The
/// dispatcher groups a range first and applies the action cell by cell in cell mode.
struct AlgebraActionRow {
  EditorCommand code;
  void (*perform)(InsertionPoint& ip, MathObject& selection);
};

/// Simplify, Expand and their variants.
[[nodiscard]] std::span<const AlgebraActionRow> simplifyActions();
/// Differentiation, Isolate, Evaluate and substitution.
[[nodiscard]] std::span<const AlgebraActionRow> calculusActions();

/// Performs algebra action `code` on the line's selection (modes 0 and 1; each selected cell in
/// mode 6, the cell selection restored afterwards). Codes without an action do nothing.
void performAlgebraAction(InsertionPoint& ip, EditorCommand code);
/// Makes the editor's dispatcher send algebra actions here.
void installAlgebraActions();

} // namespace vexmar
