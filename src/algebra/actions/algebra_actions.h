#pragma once

#include "algebra/actions/action_report.h"
#include "editor/editor_command.h"

#include <functional>
#include <span>

namespace vexmar {

struct InsertionPoint;
struct MathObject;

/// One algebra action: the editor command and what it does to the selected object, with why it
/// did less when it did. The dispatcher groups a range first and applies the action cell by
/// cell in cell mode.
struct AlgebraActionRow {
  EditorCommand code;
  ActionReport (*perform)(InsertionPoint& ip, MathObject& selection);
};

/// Simplify, Expand and their variants.
[[nodiscard]] std::span<const AlgebraActionRow> simplifyActions();
/// Differentiation, Isolate, Evaluate and substitution.
[[nodiscard]] std::span<const AlgebraActionRow> calculusActions();

/// Performs algebra action `code` on the line's selection (modes 0 and 1; each selected cell in
/// mode 6, the cell selection restored afterwards) and reports what the user should know. Codes
/// without an action do nothing.
ActionReport performAlgebraAction(InsertionPoint& ip, EditorCommand code);

/// Receives the report of each algebra action the dispatcher performs.
using ActionReportListener = std::function<void(const ActionReport&)>;
/// Makes the editor's dispatcher send algebra actions here, their reports to `listener`.
void installAlgebraActions(ActionReportListener listener = {});

} // namespace vexmar
