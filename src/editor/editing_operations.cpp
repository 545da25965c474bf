#include "editor/editing_operations.h"

#include "editor/editor_state.h"
#include "editor/kind_insertion.h"
#include "model/model_state.h"

#include <algorithm>
#include <cassert>
#include <cmath>
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

MathObject* caretOperand(InsertionPoint& ip) {
  switch (ip.mode) {
  case SelectionMode::Range:
    groupSelection(ip);
    return ip.current;
  case SelectionMode::Object:
    return ip.current;
  case SelectionMode::After:
  case SelectionMode::BetweenFactors:
    return openSlotAfter(ip, ObjectKind::times);
  case SelectionMode::Before:
    return openSlotBefore(ip, ObjectKind::times);
  default:
    return nullptr;
  }
}

namespace {

// How many factors `o` brings into a product it joins.
int factorCount(const MathObject& o) { return o.kind == ObjectKind::times ? o.childCount() : 1; }

} // namespace

void joinOperands(InsertionPoint& ip, MathObject& object, int i) {
  if (i < 0 || i + 1 >= object.childCount()) return;
  if (factorCount(*object.child(i)) + factorCount(*object.child(i + 1)) > kMaxChildren)
    throw TooManyChildren();
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

MathObject* wrapSelection(InsertionPoint& ip, ObjectKind kind, int count, int slot) {
  MathObject& current = *ip.current;
  const SelectionMode before = ip.mode;
  MathObject* wrapper = wrapObject(ip, current, kind);
  // wrapObject made kind(current); give it `count` slots with current at `slot`.
  ObjectPtr taken = removeChild(*wrapper, 0);
  for (int i = 0; i < count; ++i) appendChild(*wrapper, i == slot ? std::move(taken) : makePrompt());
  markChanged(ip, *wrapper);
  if (count >= 2) {
    setInsertionPoint(ip, *wrapper->child(slot == 0 ? 1 : 0), SelectionMode::Object);
    return wrapper;
  }
  if (editorState().commandMessage && kind != ObjectKind::oppartial && current.kind != ObjectKind::prompt) {
    setInsertionPoint(ip, *wrapper, SelectionMode::Object);
  } else if (current.kind == ObjectKind::prompt) {
    setInsertionPoint(ip, current, SelectionMode::Object);
  } else if (wrapper->shape() == KindShape::Postfix) {
    setInsertionPoint(ip, *wrapper, SelectionMode::After);
  } else if (wrapper->shape() == KindShape::Prefix) {
    setInsertionPoint(ip, current, SelectionMode::Before);
  } else {
    setInsertionPoint(ip, current, before);
  }
  return wrapper;
}

MathObject* splitProduct(InsertionPoint& ip, ObjectKind kind) {
  MathObject* factor = ip.current;
  MathObject* product = factor->parent;
  if (!product || product->kind != ObjectKind::times || factor->isLastChild()) return nullptr;
  const int split = factor->indexInParent;
  std::vector<ObjectPtr> factors = std::move(product->children);
  product->children.clear();
  auto operand = [&](int first, int last) {
    if (first == last) return std::move(factors[static_cast<std::size_t>(first)]);
    ObjectPtr group = makeObject(ObjectKind::times);
    for (int i = first; i <= last; ++i) appendChild(*group, std::move(factors[static_cast<std::size_t>(i)]));
    return group;
  };
  ObjectPtr left = operand(0, split);
  ObjectPtr right = operand(split + 1, static_cast<int>(factors.size()) - 1);
  const bool mergeLeft = left->kind == kind && left->shape() == KindShape::Infix;
  const bool mergeRight = right->kind == kind && right->shape() == KindShape::Infix;
  MathObject* rightStart = mergeRight ? right->firstChild() : right.get();
  // The product's record becomes the new object, so the product's place is kept.
  replaceObject(makeObject(kind, std::move(left), std::move(right)), *product);
  MathObject* result = product;
  if (mergeRight) flattenChild(*result, 1);
  if (mergeLeft) flattenChild(*result, 0);
  if (MathObject* parent = result->parent;
      parent && parent->kind == kind && result->shape() == KindShape::Infix) {
    flattenChild(*parent, result->indexInParent);
    result = parent;
  }
  place(ip, *rightStart, SelectionMode::Before);
  markChanged(ip, *result);
  return result;
}

namespace {

void deleteBeforeCaret(InsertionPoint& ip) {
  MathObject* o = ip.current;
  for (;;) {
    const KindShape shape = o->shape();
    if ((shape == KindShape::Postfix || shape == KindShape::Enclosing) && o->childCount() == 1 &&
        o->firstChild()) {
      if (o->kind == ObjectKind::upbrace) o->firstChild()->style[0] = 1;
      unwrapObject(*o);
      place(ip, *o, SelectionMode::After);
      return;
    }
    if (o->kind == ObjectKind::num && o->number) {
      NumberRecord& n = *o->number;
      const std::string_view text = n.displayText();
      if (n.ellipsis) {
        n.ellipsis = 0;
      } else if (text.size() > 1 && std::isfinite(n.value)) {
        n.setDisplayText(text.substr(0, text.size() - 1));
        n.value = n.textValue(modelState().decimalSeparator);
      } else {
        ip.current = o;
        deleteSelection(ip);
        return;
      }
      place(ip, *o, SelectionMode::After);
      return;
    }
    if ((o->kind == ObjectKind::times || o->kind == ObjectKind::plus) && o->lastChild()) {
      o = o->lastChild();
      continue;
    }
    ip.current = o;
    deleteSelection(ip);
    return;
  }
}

void deleteBeforeObject(InsertionPoint& ip) {
  MathObject* o = ip.current;
  while (o->parent && o->indexInParent == 0 &&
         (o->parent->shape() == KindShape::Infix || o->parent->shape() == KindShape::Postfix))
    o = o->parent;
  MathObject* parent = o->parent;
  if (!parent) return;
  const KindShape shape = parent->shape();
  if ((shape == KindShape::Prefix || shape == KindShape::Enclosing) && parent->childCount() == 1) {
    MathObject* grand = parent->parent;
    const bool joinToPrevious =
        isSign(parent->kind) && grand && grand->kind == ObjectKind::plus && parent->indexInParent > 0;
    unwrapObject(*parent);
    if (joinToPrevious)
      joinOperands(ip, *grand, parent->indexInParent - 1);
    else
      place(ip, *parent, SelectionMode::Before);
    return;
  }
  if (shape == KindShape::Infix && o->indexInParent > 0) {
    joinOperands(ip, *parent, o->indexInParent - 1);
    return;
  }
  if (shape == KindShape::Binary && o->indexInParent == 1 && parent->childCount() == 2) {
    // The binary operator goes; the second operand becomes a leading factor of the first.
    if (factorCount(*parent->child(0)) + 1 > kMaxChildren) throw TooManyChildren();
    ObjectPtr second = removeChild(*parent, 1);
    MathObject* secondRaw = second.get();
    ObjectPtr first = removeChild(*parent, 0);
    ObjectPtr product =
        first->kind == ObjectKind::times ? std::move(first) : makeObject(ObjectKind::times, std::move(first));
    insertChild(*product, 0, std::move(second));
    replaceObject(std::move(product), *parent);
    place(ip, *secondRaw, SelectionMode::After);
  }
}

} // namespace

void deleteBackward(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  switch (ip.mode) {
  case SelectionMode::Range:
    groupSelection(ip);
    [[fallthrough]];
  case SelectionMode::Object:
    if (ip.current->kind == ObjectKind::prompt)
      removePrompt(ip);
    else
      deleteSelection(ip);
    return;
  case SelectionMode::Operator:
    removeSelectedOperator(ip);
    return;
  case SelectionMode::After:
  case SelectionMode::BetweenFactors:
    if (current.kind == ObjectKind::string) {
      if (current.text.empty()) {
        deleteSelection(ip);
      } else {
        current.text.pop_back();
        markChanged(ip, current);
      }
      return;
    }
    deleteBeforeCaret(ip);
    return;
  case SelectionMode::Before:
    deleteBeforeObject(ip);
    return;
  case SelectionMode::Cells:
    clearSelection(ip);
    return;
  case SelectionMode::Text: {
    const int length = static_cast<int>(current.text.size());
    int first = std::clamp(std::min(ip.selFirst, ip.selLast), 0, length);
    const int last = std::clamp(std::max(ip.selFirst, ip.selLast), 0, length);
    if (first == last) {
      if (first == 0) return;
      --first;
    }
    current.text.erase(static_cast<std::size_t>(first), static_cast<std::size_t>(last - first));
    if (first == 0) {
      place(ip, current, SelectionMode::Before);
    } else if (first >= static_cast<int>(current.text.size())) {
      place(ip, current, SelectionMode::After);
    } else {
      ip.selFirst = ip.selLast = first;
      markChanged(ip, current);
    }
    return;
  }
  }
}

void commitText(InsertionPoint& ip) {
  MathObject& text = *ip.current;
  if (text.kind != ObjectKind::string || text.text.empty() || text.text.front() != '\\') {
    place(ip, text, SelectionMode::Object);
    return;
  }
  const std::string name = text.text;
  const std::string_view bare = std::string_view(name).substr(1);
  const EditorState& state = editorState();
  if (auto definition = state.definitions.find(name); definition != state.definitions.end()) {
    MathObject* body = replaceSubtree(ip, text, cloneTree(*definition->second));
    place(ip, *body, SelectionMode::After);
    return;
  }
  if (auto special = specialCharacterByName(bare)) {
    MathObject* letter = replaceSubtree(ip, text, makeChar(*special));
    place(ip, *letter, SelectionMode::After);
    return;
  }
  if (auto kind = kindByName(bare)) {
    MathObject* slot = replaceSubtree(ip, text, makePrompt());
    place(ip, *slot, SelectionMode::Object);
    insertKind(ip, *kind);
    return;
  }
  place(ip, text, SelectionMode::Object);
}

} // namespace vexmar
