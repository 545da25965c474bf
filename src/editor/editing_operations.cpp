#include "editor/editing_operations.h"

#include "model/model_state.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace vexmar {
namespace {

constexpr std::size_t kMaxTextLength = 60;

void place(InsertionPoint& ip, MathObject& object, SelectionMode mode) {
  setInsertionPoint(ip, object, mode);
  markChanged(ip, object);
}

bool isSign(ObjectKind k) { return k == ObjectKind::minus || k == ObjectKind::pm || k == ObjectKind::mp; }

bool keepsArity(ObjectKind k) {
  return k == ObjectKind::optotal || k == ObjectKind::oppartial || k == ObjectKind::matrix ||
         isBigOperator(k);
}

bool isIndexContainer(ObjectKind k) {
  return k == ObjectKind::indexes || k == ObjectKind::tensor || k == ObjectKind::chem ||
         k == ObjectKind::matrix;
}

bool firstSlotIsFixed(ObjectKind k) {
  switch (k) {
  case ObjectKind::sum:
  case ObjectKind::prod:
  case ObjectKind::int_:
  case ObjectKind::oint:
  case ObjectKind::bigcup:
  case ObjectKind::bigcap:
  case ObjectKind::substitution:
    return true;
  default:
    return false;
  }
}

// A matrix loses the row or column of a cell only when it is a single row or column.
bool removeMatrixCell(InsertionPoint& ip, MathObject& matrix, int index) {
  const int rows = matrix.matrixRows(), columns = matrix.matrixColumns();
  if (rows * columns <= 1 || (rows != 1 && columns != 1)) return false;
  ObjectPtr removed = removeChild(matrix, index);
  if (rows == 1)
    matrix.setMatrixSize(1, columns - 1);
  else
    matrix.setMatrixSize(rows - 1, 1);
  MathObject& next = *matrix.child(std::min(index, matrix.childCount() - 1));
  place(ip, next, SelectionMode::Object);
  return true;
}

} // namespace

MathObject* openSlotAfter(InsertionPoint& ip, ObjectKind kind) {
  MathObject& current = *ip.current;
  MathObject* slot = nullptr;
  if (current.kind == kind) {
    slot = appendChild(current, makePrompt());
  } else if (current.parent && current.parent->kind == kind) {
    slot = insertChild(*current.parent, current.indexInParent + 1, makePrompt());
  } else {
    MathObject* wrapper = wrapObject(ip, current, kind);
    slot = appendChild(*wrapper, makePrompt());
  }
  place(ip, *slot, SelectionMode::Object);
  return slot;
}

MathObject* openSlotBefore(InsertionPoint& ip, ObjectKind kind) {
  MathObject* current = ip.current;
  if (kind == ObjectKind::times && current->parent && current->parent->kind == ObjectKind::power &&
      current->indexInParent == 0)
    current = current->parent;
  MathObject* slot = nullptr;
  if (current->kind == kind) {
    slot = insertChild(*current, 0, makePrompt());
  } else if (current->parent && current->parent->kind == kind) {
    slot = insertChild(*current->parent, current->indexInParent, makePrompt());
  } else {
    MathObject* wrapper = wrapObject(ip, *current, kind);
    slot = insertChild(*wrapper, 0, makePrompt());
  }
  place(ip, *slot, SelectionMode::Object);
  return slot;
}

void joinOperands(InsertionPoint& ip, MathObject& object, int i) {
  if (i < 0 || i + 1 >= object.childCount()) return;
  ObjectPtr left = removeChild(object, i);
  MathObject* right = object.child(i);
  if (object.childCount() == 1) {
    replaceObject(removeChild(object, 0), object);
    right = &object;
  }
  MathObject* product = right;
  if (right->kind != ObjectKind::times) product = wrapObject(ip, *right, ObjectKind::times);
  MathObject* lastFactor = nullptr;
  if (left->kind == ObjectKind::times) {
    const int count = left->childCount();
    for (int k = count - 1; k >= 0; --k) insertChild(*product, 0, removeChild(*left, k));
    lastFactor = product->child(count - 1);
  } else {
    lastFactor = insertChild(*product, 0, std::move(left));
  }
  place(ip, *lastFactor, SelectionMode::After);
}

void unwrapObject(MathObject& object) {
  if (object.childCount() != 1 || !object.firstChild()) return;
  replaceObject(removeChild(object, 0), object);
}

void removeSelectedOperator(InsertionPoint& ip) {
  MathObject& object = *ip.current;
  const KindShape shape = object.shape();
  if (shape == KindShape::Prefix && object.childCount() == 1) {
    MathObject* parent = object.parent;
    const bool joinToPrevious =
        isSign(object.kind) && parent && parent->kind == ObjectKind::plus && object.indexInParent > 0;
    unwrapObject(object);
    if (joinToPrevious) {
      joinOperands(ip, *parent, object.indexInParent - 1);
    } else {
      place(ip, object, SelectionMode::Before);
    }
    return;
  }
  const bool binaryOperator = object.kind == ObjectKind::bullet || object.kind == ObjectKind::cross ||
                              object.kind == ObjectKind::div || object.kind == ObjectKind::fract;
  if (shape == KindShape::Infix || binaryOperator) joinOperands(ip, object, binaryOperator ? 0 : ip.selFirst);
}

void deleteSelection(InsertionPoint& ip) {
  MathObject* prompt = replaceSubtree(ip, *ip.current, makePrompt());
  place(ip, *prompt, SelectionMode::Object);
  if (prompt->parent && prompt->parent->kind == ObjectKind::times) removePrompt(ip);
}

void removePrompt(InsertionPoint& ip) {
  MathObject& prompt = *ip.current;
  MathObject* parent = prompt.parent;
  if (prompt.kind != ObjectKind::prompt || !parent) return;
  const int index = prompt.indexInParent;
  if (isIndexContainer(parent->kind)) {
    if (parent->kind == ObjectKind::matrix && removeMatrixCell(ip, *parent, index)) return;
    place(ip, *parent, SelectionMode::Object);
    return;
  }
  if ((index == 0 && firstSlotIsFixed(parent->kind) && parent->childCount() > 1) ||
      keepsArity(parent->kind)) {
    place(ip, *parent, SelectionMode::Object);
    return;
  }
  if (parent->childCount() == 1) {
    unwrapObject(*parent); // the parent becomes the prompt itself
    place(ip, *parent, SelectionMode::Object);
    return;
  }
  ObjectPtr removed = removeChild(*parent, index);
  if (parent->childCount() == 1) {
    replaceObject(removeChild(*parent, 0), *parent);
    place(ip, *parent, index > 0 ? SelectionMode::After : SelectionMode::Before);
    return;
  }
  if (index > 0)
    place(ip, *parent->child(index - 1), SelectionMode::After);
  else
    place(ip, *parent->child(0), SelectionMode::Before);
}

void clearSelection(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  if (ip.mode == SelectionMode::Cells) {
    const int columns = current.matrixColumns();
    if (current.kind != ObjectKind::matrix || columns <= 0) return;
    const int r0 = ip.selFirst / columns, c0 = ip.selFirst % columns;
    const int r1 = ip.selLast / columns, c1 = ip.selLast % columns;
    for (int r = std::min(r0, r1); r <= std::max(r0, r1); ++r)
      for (int c = std::min(c0, c1); c <= std::max(c0, c1); ++c)
        if (r * columns + c < current.childCount()) setChild(current, r * columns + c, makePrompt());
    markChanged(ip, current);
    return;
  }
  if (ip.mode == SelectionMode::Text) {
    const int length = static_cast<int>(current.text.size());
    const int first = std::clamp(std::min(ip.selFirst, ip.selLast), 0, length);
    const int last = std::clamp(std::max(ip.selFirst, ip.selLast), 0, length);
    if (first == last) return;
    current.text.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    const int remaining = static_cast<int>(current.text.size());
    if (first == 0 || first == remaining) {
      place(ip, current, first == 0 ? SelectionMode::Before : SelectionMode::After);
    } else {
      ip.selFirst = ip.selLast = first;
      markChanged(ip, current);
    }
    return;
  }
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  if (ip.mode == SelectionMode::Operator) {
    removeSelectedOperator(ip);
    return;
  }
  if (ip.mode != SelectionMode::Object) return;
  if (ip.current->kind != ObjectKind::prompt) {
    MathObject* prompt = replaceSubtree(ip, *ip.current, makePrompt());
    place(ip, *prompt, SelectionMode::Object);
  }
  if (ip.current->parent && ip.current->parent->childCount() > 1) removePrompt(ip);
}

bool typeIntoText(InsertionPoint& ip, char character) {
  MathObject* current = ip.current;
  if (!current || current->kind != ObjectKind::string) return false;
  if (ip.mode == SelectionMode::After) {
    if (current->text.size() <= kMaxTextLength) current->text.push_back(character);
    markChanged(ip, *current);
    return true;
  }
  if (ip.mode != SelectionMode::Text) return false;
  std::string& text = current->text;
  const int length = static_cast<int>(text.size());
  const int first = std::clamp(std::min(ip.selFirst, ip.selLast), 0, length);
  const int last = std::clamp(std::max(ip.selFirst, ip.selLast), 0, length);
  // Typing over selected characters replaces them, as after Clear.
  text.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
  int caret = first;
  if (text.size() <= kMaxTextLength) text.insert(text.begin() + caret++, character);
  ip.selFirst = ip.selLast = caret;
  markChanged(ip, *current);
  return true;
}

void startTextObject(InsertionPoint& ip) {
  if (ip.current && ip.current->kind == ObjectKind::string && ip.mode == SelectionMode::After) {
    typeIntoText(ip, '\\');
    return;
  }
  insertKind(ip, ObjectKind::string);
  if (ip.current && ip.current->kind == ObjectKind::string && ip.mode == SelectionMode::After)
    typeIntoText(ip, '\\');
}

// Entry points that structural editing fills in.
void typeLetter(InsertionPoint& ip, int code) {
  (void)ip;
  (void)code;
}
void typeDigit(InsertionPoint& ip, int digit) {
  (void)ip;
  (void)digit;
}
void typeDecimalSeparator(InsertionPoint& ip) { (void)ip; }
void insertKind(InsertionPoint& ip, ObjectKind kind) {
  (void)ip;
  (void)kind;
}
void deleteBackward(InsertionPoint& ip) { (void)ip; }
void applyTemplate(InsertionPoint& ip, EditorCommand code) {
  (void)ip;
  (void)code;
}
void applyOperatorKey(InsertionPoint& ip, EditorCommand code) {
  (void)ip;
  (void)code;
}

} // namespace vexmar
