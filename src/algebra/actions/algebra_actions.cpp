#include "algebra/actions/algebra_actions.h"

#include "editor/editor_state.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"
#include "model/work_budget.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

const AlgebraActionRow* findAction(EditorCommand code) {
  for (auto table : {simplifyActions(), calculusActions()})
    for (const AlgebraActionRow& row : table)
      if (row.code == code) return &row;
  return nullptr;
}

// Runs the action on the selection; the report comes out as the user is to get it.
ActionReport perform(const AlgebraActionRow& action, InsertionPoint& ip) {
  // What the line held before tells a command that did nothing from one that did something.
  const ObjectPtr before = ip.root && !memoryReserve().isLow() ? cloneTree(*ip.root) : nullptr;
  const ActionReport report = action.perform(ip, *ip.current);
  return settledReport(report, !before || !ip.root || !treeEqual(*before, *ip.root));
}

// The line as it was before an action, to put back when the action gives up half-way.
struct LineSnapshot {
  explicit LineSnapshot(const InsertionPoint& ip)
      : root(cloneTree(*ip.root)), path(pathTo(*ip.current)), mode(ip.mode), selFirst(ip.selFirst),
        selLast(ip.selLast) {}

  void restore(InsertionPoint& ip) {
    ip.setRoot(std::move(root));
    MathObject* current = followPath(*ip.root, path);
    setInsertionPoint(ip, current ? *current : *ip.root, current ? mode : SelectionMode::Object);
    if (current) {
      ip.selFirst = selFirst;
      ip.selLast = selLast;
    }
    markChangedFromRoot(ip);
  }

  ObjectPtr root;
  std::vector<int> path;
  SelectionMode mode;
  int selFirst, selLast;
};

ActionReport performOnSelection(const AlgebraActionRow& action, InsertionPoint& ip) {
  if (ip.mode == SelectionMode::Cells) {
    MathObject* matrix = ip.current;
    const int columns = matrix->matrixColumns();
    if (matrix->kind != ObjectKind::matrix || columns <= 0) return {};
    const int first = ip.selFirst, last = ip.selLast;
    const int r0 = std::min(first, last) / columns, r1 = std::max(first, last) / columns;
    const int c0 = std::min(first % columns, last % columns), c1 = std::max(first % columns, last % columns);
    ActionReport report;
    for (int r = r0; r <= r1; ++r) {
      for (int c = c0; c <= c1; ++c) {
        const int index = r * columns + c;
        if (index >= matrix->childCount() || !matrix->child(index)) continue;
        setInsertionPoint(ip, *matrix->child(index), SelectionMode::Object);
        // The first cell with something to tell speaks for all.
        ActionReport cell = perform(action, ip);
        if (report.outcome == ActionOutcome::Done) report = std::move(cell);
      }
    }
    ip.current = matrix;
    ip.mode = SelectionMode::Cells;
    ip.selFirst = first;
    ip.selLast = last;
    markChangedFromRoot(ip);
    return report;
  }
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  if (ip.mode != SelectionMode::Object) return {};
  ActionReport report = perform(action, ip);
  markChangedFromRoot(ip);
  return report;
}

} // namespace

ActionReport performAlgebraAction(InsertionPoint& ip, EditorCommand code) {
  const AlgebraActionRow* action = findAction(code);
  if (!action || !ip.current || !ip.root) return {};
  LineSnapshot before(ip);
  try {
    // The budget's scope ends before the line is put back, which builds nothing new anyway.
    const WorkBudgetScope budget(kAlgebraBudget.objects, kAlgebraBudget.milliseconds);
    return performOnSelection(*action, ip);
  } catch (const WorkBudgetSpent&) {
    before.restore(ip);
    return {ActionOutcome::TooMuchWork, {}};
  } catch (const TooManyChildren&) {
    before.restore(ip);
    return {ActionOutcome::TooManyItems, {}};
  } catch (const std::bad_alloc&) {
    memoryReserve().release();
    before.restore(ip);
    return {ActionOutcome::OutOfMemory, {}};
  }
}

void installAlgebraActions(ActionReportListener listener) {
  editorState().algebraAction = [listener = std::move(listener)](InsertionPoint& ip, EditorCommand code) {
    const ActionReport report = performAlgebraAction(ip, code);
    if (listener) listener(report);
  };
}

} // namespace vexmar
