#include "editor/kind_insertion.h"

#include "editor/editing_operations.h"
#include "editor/editor_state.h"

#include <algorithm>

namespace vexmar {
namespace {

bool isSign(ObjectKind k) { return k == ObjectKind::minus || k == ObjectKind::pm || k == ObjectKind::mp; }

bool isFunctionOrLog(const MathObject& o) { return isFunctionLike(o.kind) || o.kind == ObjectKind::log; }

// Whether the caret climbs out of `o` into its parent before a term or factor slot is opened:
// so that + after x in 2 sin x adds a term to the whole, not to the argument.
bool climbsOut(const MathObject& o) {
  const MathObject* p = o.parent;
  if (!p) return false;
  if (p->kind == ObjectKind::times || p->kind == ObjectKind::minus || isFunctionLike(p->kind)) return true;
  return p->kind == ObjectKind::log && o.indexInParent == 0;
}

MathObject* climbBeforePlus(MathObject* o) {
  while (climbsOut(*o)) o = o->parent;
  return o;
}

// Before a factor: out of function arguments only when the climb ends at a function (or a
// product ending in one); otherwise the factor goes right after the current object.
MathObject* climbBeforeTimes(MathObject* current) {
  MathObject* o = climbBeforePlus(current);
  const bool function = isFunctionOrLog(*o) ||
                        (o->kind == ObjectKind::times && o->lastChild() && isFunctionOrLog(*o->lastChild()));
  return function ? o : current;
}

void openAfterClimb(InsertionPoint& ip, MathObject* target, ObjectKind kind) {
  ip.current = target;
  openSlotAfter(ip, kind);
}

MathObject* wrapOne(InsertionPoint& ip, ObjectKind kind) { return wrapSelection(ip, kind, 1, 0); }

MathObject* wrapInMatrix(InsertionPoint& ip) {
  MathObject* m = wrapOne(ip, ObjectKind::matrix);
  m->setMatrixSize(1, 1);
  return m;
}

// The selected rectangle of cells of a matrix, row by row.
std::vector<MathObject*> selectedCells(const InsertionPoint& ip, int& rows, int& columns) {
  std::vector<MathObject*> cells;
  const MathObject& m = *ip.current;
  const int width = m.matrixColumns();
  rows = columns = 0;
  if (m.kind != ObjectKind::matrix || width <= 0) return cells;
  const int r0 = std::min(ip.selFirst, ip.selLast) / width, r1 = std::max(ip.selFirst, ip.selLast) / width;
  const int c0 = std::min(ip.selFirst % width, ip.selLast % width);
  const int c1 = std::max(ip.selFirst % width, ip.selLast % width);
  rows = r1 - r0 + 1;
  columns = c1 - c0 + 1;
  for (int r = r0; r <= r1; ++r)
    for (int c = c0; c <= c1; ++c)
      if (r * width + c < m.childCount()) cells.push_back(m.child(r * width + c));
  if (static_cast<int>(cells.size()) != rows * columns) cells.clear();
  return cells;
}

// Adds `term` to a cell, or multiplies the cell by it, extending a sum or product in place.
void combineCell(InsertionPoint& ip, MathObject& cell, ObjectKind kind, ObjectPtr term) {
  if (cell.kind == kind) {
    appendChild(cell, std::move(term));
    return;
  }
  MathObject* combined = wrapObject(ip, cell, kind);
  appendChild(*combined, std::move(term));
}

// Plus, minus and times on selected cells with the clipboard: cell-wise sums with a matrix of
// the same size, or every cell times a non-matrix.
void matrixCellArithmetic(InsertionPoint& ip, ObjectKind kind) {
  const EditClipboard& clipboard = editorState().clipboard;
  if (!clipboard.tree) return;
  const MathObject& held = *clipboard.tree;
  int rows = 0, columns = 0;
  std::vector<MathObject*> cells = selectedCells(ip, rows, columns);
  if (cells.empty()) return;
  if (kind == ObjectKind::plus || kind == ObjectKind::minus) {
    if (held.kind != ObjectKind::matrix || held.matrixRows() != rows || held.matrixColumns() != columns ||
        held.childCount() != rows * columns)
      return;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      ObjectPtr term = cloneTree(*held.child(static_cast<int>(i)));
      if (kind == ObjectKind::minus) term = makeObject(ObjectKind::minus, std::move(term));
      combineCell(ip, *cells[i], ObjectKind::plus, std::move(term));
    }
  } else if (kind == ObjectKind::times && held.kind != ObjectKind::matrix) {
    for (MathObject* cell : cells) combineCell(ip, *cell, ObjectKind::times, cloneTree(held));
  } else {
    return;
  }
  markChangedFromRoot(ip);
}

void insertPlus(InsertionPoint& ip) {
  switch (ip.mode) {
  case SelectionMode::Object:
    openSlotAfter(ip, ObjectKind::plus);
    break;
  case SelectionMode::After:
    openAfterClimb(ip, climbBeforePlus(ip.current), ObjectKind::plus);
    break;
  case SelectionMode::Before:
    openSlotBefore(ip, ObjectKind::plus);
    break;
  case SelectionMode::BetweenFactors:
    splitProduct(ip, ObjectKind::plus);
    break;
  default:
    break;
  }
}

void insertTimes(InsertionPoint& ip) {
  switch (ip.mode) {
  case SelectionMode::Object:
  case SelectionMode::Before:
    openSlotBefore(ip, ObjectKind::times);
    break;
  case SelectionMode::After:
    openAfterClimb(ip, climbBeforeTimes(ip.current), ObjectKind::times);
    break;
  case SelectionMode::BetweenFactors:
    openSlotAfter(ip, ObjectKind::times);
    break;
  default:
    break;
  }
}

void insertSign(InsertionPoint& ip, ObjectKind sign) {
  switch (ip.mode) {
  case SelectionMode::Object:
    if (ip.current->kind != ObjectKind::prompt) openSlotAfter(ip, ObjectKind::plus);
    wrapOne(ip, sign);
    break;
  case SelectionMode::After:
    openAfterClimb(ip, climbBeforePlus(ip.current), ObjectKind::plus);
    wrapOne(ip, sign);
    break;
  case SelectionMode::Before:
    if (ip.current->parent && ip.current->parent->kind == ObjectKind::times) ip.current = ip.current->parent;
    wrapOne(ip, sign);
    break;
  case SelectionMode::BetweenFactors:
    if (splitProduct(ip, ObjectKind::plus)) {
      // The caret now stands before the right operand; the sign wraps that operand.
      MathObject* right = ip.current;
      while (right->parent && right->parent->kind != ObjectKind::plus) right = right->parent;
      ip.current = right;
      wrapOne(ip, sign);
    }
    break;
  default:
    break;
  }
}

void insertString(InsertionPoint& ip) {
  // A selected object other than a prompt stays: the text goes after it.
  const bool keepsSelection = ip.mode == SelectionMode::Object && ip.current->kind != ObjectKind::prompt;
  MathObject* slot = keepsSelection ? openSlotAfter(ip, ObjectKind::times) : caretOperand(ip);
  if (!slot) return;
  MathObject* text = replaceSubtree(ip, *slot, makeString(""));
  setInsertionPoint(ip, *text, SelectionMode::After);
  markChanged(ip, *text);
}

void insertMatrix(InsertionPoint& ip) {
  if (caretOperand(ip)) wrapInMatrix(ip);
}

void insertBinary(InsertionPoint& ip, ObjectKind kind) {
  if ((kind == ObjectKind::bullet || kind == ObjectKind::cross) && ip.current->parent &&
      ip.current->parent->kind == ObjectKind::grad) {
    MathObject& grad = *ip.current->parent;
    grad.kind = kind == ObjectKind::bullet ? ObjectKind::diver : ObjectKind::curl;
    // diver and curl take exactly one operand; a gradient's extra slots go.
    while (grad.childCount() > 1) removeChild(grad, grad.childCount() - 1);
    setInsertionPoint(ip, grad, SelectionMode::Object);
    markChanged(ip, grad);
    return;
  }
  wrapSelection(ip, kind, 2, ip.mode == SelectionMode::Before ? 1 : 0);
}

void insertByShape(InsertionPoint& ip, ObjectKind kind) {
  const SelectionMode mode = ip.mode;
  switch (kindShape(kind)) {
  case KindShape::Infix:
    if (mode == SelectionMode::Object || mode == SelectionMode::After)
      openSlotAfter(ip, kind);
    else if (mode == SelectionMode::Before)
      openSlotBefore(ip, kind);
    else if (mode == SelectionMode::BetweenFactors)
      splitProduct(ip, kind);
    return;
  case KindShape::Postfix:
    if (mode == SelectionMode::Before) openSlotBefore(ip, ObjectKind::times);
    wrapOne(ip, kind);
    return;
  case KindShape::Prefix:
    if (mode == SelectionMode::After) {
      openSlotAfter(ip, ObjectKind::times);
    } else if (mode == SelectionMode::BetweenFactors) {
      MathObject* next = ip.current->parent->child(ip.current->indexInParent + 1);
      ip.current = next;
      MathObject* wrapper = wrapOne(ip, kind);
      if (wrapper->firstChild()) setInsertionPoint(ip, *wrapper->firstChild(), SelectionMode::Before);
      return;
    }
    wrapOne(ip, kind);
    return;
  case KindShape::Enclosing:
    if (mode == SelectionMode::After || mode == SelectionMode::BetweenFactors)
      openSlotAfter(ip, ObjectKind::times);
    else if (mode == SelectionMode::Before)
      openSlotBefore(ip, ObjectKind::times);
    wrapOne(ip, kind);
    return;
  case KindShape::Binary:
    insertBinary(ip, kind);
    return;
  default:
    return; // containers and atoms are not inserted this way
  }
}

} // namespace

void insertKind(InsertionPoint& ip, ObjectKind kind) {
  if (!ip.current) return;
  if (ip.mode == SelectionMode::Cells) {
    matrixCellArithmetic(ip, kind);
    return;
  }
  if (ip.mode == SelectionMode::Text) return;
  if (kind == ObjectKind::list) {
    selectWholeEquation(ip);
    openSlotAfter(ip, ObjectKind::list);
    return;
  }
  if (ip.mode == SelectionMode::Operator) removeSelectedOperator(ip);
  if (ip.mode == SelectionMode::Operator) return;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);

  if (kind == ObjectKind::plus) {
    insertPlus(ip);
  } else if (kind == ObjectKind::times) {
    insertTimes(ip);
  } else if (isSign(kind)) {
    insertSign(ip, kind);
  } else if (kind == ObjectKind::string) {
    insertString(ip);
  } else if (kind == ObjectKind::matrix) {
    insertMatrix(ip);
  } else {
    insertByShape(ip, kind);
  }
}

} // namespace vexmar
