#include "algebra/actions/algebra_actions.h"

#include "editor/editor_state.h"
#include "model/insertion_point.h"

#include <algorithm>

namespace vexmar {
namespace {

const AlgebraActionRow* findAction(EditorCommand code) {
  for (auto table : {simplifyActions(), calculusActions()})
    for (const AlgebraActionRow& row : table)
      if (row.code == code) return &row;
  return nullptr;
}

} // namespace

void performAlgebraAction(InsertionPoint& ip, EditorCommand code) {
  const AlgebraActionRow* action = findAction(code);
  if (!action || !ip.current) return;
  if (ip.mode == SelectionMode::Cells) {
    MathObject* matrix = ip.current;
    const int columns = matrix->matrixColumns();
    if (matrix->kind != ObjectKind::matrix || columns <= 0) return;
    const int first = ip.selFirst, last = ip.selLast;
    const int r0 = std::min(first, last) / columns, r1 = std::max(first, last) / columns;
    const int c0 = std::min(first % columns, last % columns), c1 = std::max(first % columns, last % columns);
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        const int index = r * columns + c;
        if (index >= matrix->childCount() || !matrix->child(index)) continue;
        setInsertionPoint(ip, *matrix->child(index), SelectionMode::Object);
        action->perform(ip, *ip.current);
      }
    }
    ip.current = matrix;
    ip.mode = SelectionMode::Cells;
    ip.selFirst = first;
    ip.selLast = last;
    markChangedFromRoot(ip);
    return;
  }
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  if (ip.mode != SelectionMode::Object) return;
  action->perform(ip, *ip.current);
  markChangedFromRoot(ip);
}

void installAlgebraActions() { editorState().algebraAction = performAlgebraAction; }

} // namespace vexmar
