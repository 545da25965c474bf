#include "editor/edit_clipboard.h"

#include "editor/editing_operations.h"
#include "editor/kind_insertion.h"
#include "model/insertion_point.h"
#include "model/memory_reserve.h"

#include <algorithm>

namespace vexmar {
namespace {

// While memory is low, a copy is made only when the node pool can hold it without growing.
bool canCopy(const MathObject& subtree) {
  return !memoryReserve().isLow() || countObjects(subtree) <= objectsFree();
}

ObjectPtr copyCells(const MathObject& matrix, int firstCell, int lastCell) {
  const int columns = matrix.matrixColumns();
  const int r0 = std::min(firstCell / columns, lastCell / columns),
            r1 = std::max(firstCell / columns, lastCell / columns);
  const int c0 = std::min(firstCell % columns, lastCell % columns),
            c1 = std::max(firstCell % columns, lastCell % columns);
  const int rows = r1 - r0 + 1, cols = c1 - c0 + 1;
  ObjectPtr copy = makeObject(ObjectKind::matrix, rows * cols);
  copy->setMatrixSize(rows, cols);
  copy->horizontalAlignment = matrix.horizontalAlignment;
  copy->verticalAlignment = matrix.verticalAlignment;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const int source = (r0 + r) * columns + (c0 + c);
      const MathObject* cell = source < matrix.childCount() ? matrix.child(source) : nullptr;
      setChild(*copy, r * cols + c, cell ? copyTree(*cell) : makePrompt());
    }
  }
  return copy;
}

} // namespace

bool copySelection(InsertionPoint& ip, EditClipboard& clipboard) {
  MathObject* current = ip.current;
  if (!current) return false;
  switch (ip.mode) {
  case SelectionMode::Cells:
    if (current->kind != ObjectKind::matrix || current->matrixColumns() <= 0 || !canCopy(*current))
      return false;
    clipboard.hold(copyCells(*current, ip.selFirst, ip.selLast));
    return true;
  case SelectionMode::Operator:
    clipboard.clear();
    clipboard.operatorKind = current->kind;
    return true;
  case SelectionMode::Range: {
    if (current->childCount() == 0) return false;
    const int first = std::clamp(ip.selFirst, 0, current->childCount() - 1);
    const int last = std::clamp(ip.selLast, first, current->childCount() - 1);
    if (!canCopy(*current)) return false;
    ObjectPtr group = makeObject(current->kind, last - first + 1);
    for (int i = first; i <= last; ++i) {
      const MathObject* operand = current->child(i);
      setChild(*group, i - first, operand ? copyTree(*operand) : makePrompt());
    }
    clipboard.hold(std::move(group));
    return true;
  }
  case SelectionMode::Object:
    if (!canCopy(*current)) return false;
    clipboard.hold(copyTree(*current));
    return true;
  default:
    return false;
  }
}

bool cutSelection(InsertionPoint& ip, EditClipboard& clipboard) {
  if (!ip.current) return false;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  if (ip.mode == SelectionMode::Operator) {
    clipboard.clear();
    clipboard.operatorKind = ip.current->kind;
    removeSelectedOperator(ip);
    return true;
  }
  if (ip.mode != SelectionMode::Object || !canCopy(*ip.current)) return false;
  clipboard.hold(copyTree(*ip.current));
  if (ip.current->kind != ObjectKind::prompt) clearSelection(ip);
  return true;
}

bool pasteClipboard(InsertionPoint& ip, const EditClipboard& clipboard) {
  if (!ip.current || clipboard.empty()) return false;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  if (clipboard.operatorKind) {
    insertKind(ip, *clipboard.operatorKind);
    return true;
  }
  if (!canCopy(*clipboard.tree)) return false;
  const bool replacesSelection = ip.mode == SelectionMode::Object;
  MathObject* target = caretOperand(ip);
  if (!target) return false;
  MathObject* pasted = replaceSubtree(ip, *target, copyTree(*clipboard.tree));
  MathObject* parent = pasted->parent;
  const int count = pasted->childCount();
  if (parent && parent->kind == pasted->kind && pasted->shape() == KindShape::Infix && count > 0) {
    const int index = pasted->indexInParent;
    if (flattenChild(*parent, index)) {
      if (!replacesSelection) {
        setInsertionPoint(ip, *parent->child(index + count - 1), SelectionMode::After);
      } else if (count == parent->childCount()) {
        setInsertionPoint(ip, *parent, SelectionMode::Object);
      } else {
        ip.current = parent;
        ip.mode = SelectionMode::Range;
        ip.selFirst = index;
        ip.selLast = index + count - 1;
      }
      markChanged(ip, *parent);
      return true;
    }
  }
  setInsertionPoint(ip, *pasted, replacesSelection ? SelectionMode::Object : SelectionMode::After);
  markChanged(ip, *pasted);
  return true;
}

} // namespace vexmar
