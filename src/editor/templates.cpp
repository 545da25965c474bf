#include "editor/templates.h"

#include "editor/dispatcher.h"
#include "editor/editing_operations.h"
#include "model/model_state.h"

#include <algorithm>
#include <array>

namespace vexmar {
namespace {

MathObject* nearestAncestorOrSelf(MathObject* o, bool (*test)(ObjectKind)) {
  for (; o; o = o->parent)
    if (test(o->kind)) return o;
  return nullptr;
}

bool isMatrix(ObjectKind k) { return k == ObjectKind::matrix; }
bool isIndexHolder(ObjectKind k) { return k == ObjectKind::indexes || k == ObjectKind::tensor; }
bool isIndexContainer(ObjectKind k) { return k == ObjectKind::indexes || k == ObjectKind::chem; }
bool isParenthesis(ObjectKind k) {
  return k == ObjectKind::id || k == ObjectKind::lparen || k == ObjectKind::rparen;
}

bool isTemplateKind(ObjectKind k) {
  return k == ObjectKind::substitution || isBigOperator(k) || k == ObjectKind::log || k == ObjectKind::grad ||
         k == ObjectKind::sqrt || k == ObjectKind::optotal || k == ObjectKind::oppartial;
}

void select(InsertionPoint& ip, MathObject& o, SelectionMode mode = SelectionMode::Object) {
  setInsertionPoint(ip, o, mode);
  markChangedFromRoot(ip);
}

ObjectPtr numberOf(int value) { return makeNumber(value, std::to_string(value)); }

// Power, root and logarithm templates: the operand goes to `slot`, the other slot gets `other`.
void twoSlotTemplate(InsertionPoint& ip, ObjectKind kind, int slot, ObjectPtr other,
                     bool caretOnOther = false) {
  MathObject* operand = caretOperand(ip);
  if (!operand) return;
  ip.current = operand;
  MathObject* made = wrapSelection(ip, kind, 2, slot);
  MathObject* second = replaceSubtree(ip, *made->child(1 - slot), std::move(other));
  MathObject* target = made;
  if (caretOnOther) {
    target = second;
  } else {
    for (MathObject* n = made; n; n = nextPreorder(*n, *made))
      if (n->kind == ObjectKind::prompt) {
        target = n;
        break;
      }
  }
  select(ip, *target);
}

// What fills the slot of a two-slot template that the operand does not take.
enum class Filler : std::uint8_t { Number, LetterE, Prompt };

struct TwoSlotRow {
  EditorCommand code;
  ObjectKind kind;
  int slot; // the operand's slot
  Filler filler;
  int number = 0;
  bool caretOnOther = false;
};

constexpr std::array<TwoSlotRow, 8> kTwoSlotTemplates = {{
    {Command::SquareSelection, ObjectKind::power, 0, Filler::Number, 2},
    {Command::CubeSelection, ObjectKind::power, 0, Filler::Number, 3},
    {Command::RaiseEToSelection, ObjectKind::power, 1, Filler::LetterE},
    {Command::RaiseTwoToSelection, ObjectKind::power, 1, Filler::Number, 2},
    {Command::RaiseTenToSelection, ObjectKind::power, 1, Filler::Number, 10},
    {Command::CubeRoot, ObjectKind::sqrt, 0, Filler::Number, 3},
    {Command::NthRoot, ObjectKind::sqrt, 0, Filler::Prompt, 0, true},
    {Command::LogBaseTwo, ObjectKind::log, 0, Filler::Number, 2},
}};

ObjectPtr fillerOf(const TwoSlotRow& row) {
  switch (row.filler) {
  case Filler::Number:
    return numberOf(row.number);
  case Filler::LetterE:
    return makeChar('e');
  case Filler::Prompt:
    return makePrompt();
  }
  return makePrompt();
}

void reciprocal(InsertionPoint& ip) {
  MathObject* operand = caretOperand(ip);
  if (!operand) return;
  const MathObject* numerator = operand->kind == ObjectKind::over ? operand->firstChild() : nullptr;
  if (numerator && numerator->kind == ObjectKind::num && numerator->number &&
      numerator->number->value == 1.0) {
    ObjectPtr denominator = removeChild(*operand, 1);
    replaceObject(std::move(denominator), *operand);
    select(ip, *operand);
    return;
  }
  ip.current = operand;
  MathObject* fraction = wrapSelection(ip, ObjectKind::over, 2, 1);
  replaceSubtree(ip, *fraction->child(0), numberOf(1));
  select(ip, *fraction);
}

void vectorTemplate(InsertionPoint& ip, int size) {
  MathObject* operand = caretOperand(ip);
  if (!operand) return;
  ObjectPtr vector = makeObject(ObjectKind::matrix);
  vector->setMatrixSize(size, 1);
  constexpr std::array<char, 3> names = {'x', 'y', 'z'};
  for (int i = 0; i < size; ++i)
    appendChild(*vector, makeChar(static_cast<std::uint16_t>(names[static_cast<std::size_t>(i)])));
  MathObject* made = replaceSubtree(ip, *operand, std::move(vector));
  select(ip, *made->lastChild(), SelectionMode::After);
}

void derivativeWrap(InsertionPoint& ip, ObjectKind op) {
  MathObject* operand = caretOperand(ip);
  if (!operand) return;
  ip.current = operand;
  MathObject* application = wrapSelection(ip, ObjectKind::function, 2, 1);
  MathObject* variable = makePromptChild(*replaceSubtree(ip, *application->child(0), makeObject(op, 1)), 0);
  select(ip, *variable);
}

void addMatrixRow(InsertionPoint& ip) {
  MathObject* m = nearestAncestorOrSelf(ip.current, isMatrix);
  if (!m || m->matrixColumns() <= 0) return;
  const int rows = m->matrixRows(), columns = m->matrixColumns();
  if ((rows + 1) * columns > kMaxChildren) return;
  MathObject* first = nullptr;
  for (int c = 0; c < columns; ++c) {
    MathObject* cell = appendChild(*m, makePrompt());
    if (!first) first = cell;
  }
  m->setMatrixSize(rows + 1, columns);
  select(ip, *first);
}

void addMatrixColumn(InsertionPoint& ip) {
  MathObject* m = nearestAncestorOrSelf(ip.current, isMatrix);
  if (!m || m->matrixColumns() <= 0) return;
  const int rows = m->matrixRows(), columns = m->matrixColumns();
  if (rows * (columns + 1) > kMaxChildren) return;
  // Each row gets its new cell at its end, so the cells stay in row-major order.
  MathObject* first = nullptr;
  for (int r = 0; r < rows; ++r) {
    MathObject* cell = insertChild(*m, r * (columns + 1) + columns, makePrompt());
    if (!first) first = cell;
  }
  m->setMatrixSize(rows, columns + 1);
  select(ip, *first);
}

// The index group of an `indexes` child: 0 the base, 1 the first group (A), 2 the second (B).
int indexGroup(const MathObject& indexes, int child) {
  if (child == 0) return 0;
  return child <= indexes.lowerIndexCount() ? 1 : 2;
}

// The child of `container` on the path to the current object.
const MathObject* childOnPath(const MathObject& container, const MathObject* o) {
  while (o && o->parent != &container) o = o->parent;
  return o;
}

void addIndex(InsertionPoint& ip) {
  MathObject* holder = nearestAncestorOrSelf(ip.current, isIndexHolder);
  if (!holder || holder->childCount() >= kMaxChildren) return;
  const MathObject* at = childOnPath(*holder, ip.current);
  MathObject* added = nullptr;
  if (holder->kind == ObjectKind::indexes) {
    int a = holder->lowerIndexCount(), b = holder->upperIndexCount();
    // A new index joins the group of the index the caret is in (the first group from the base).
    if (at && indexGroup(*holder, at->indexInParent) == 2) {
      added = insertChild(*holder, at->indexInParent + 1, makePrompt());
      ++b;
    } else {
      const int position = at && at->indexInParent > 0 ? at->indexInParent + 1 : a + 1;
      added = insertChild(*holder, position, makePrompt());
      ++a;
    }
    holder->setIndexCounts(a, b);
  } else {
    // A tensor index takes the position of the index the caret is in.
    const int bit = at && at->indexInParent > 0 ? (holder->payloadA >> (at->indexInParent - 1)) & 1 : 0;
    added = appendChild(*holder, makePrompt());
    if (added->indexInParent - 1 < 31) holder->payloadA |= bit << (added->indexInParent - 1);
  }
  select(ip, *added);
}

// The underscore: what precedes the caret (the selection, or the object the caret is after) gets
// a subscript, which is selected. Before an object, that object becomes the subscript of a new
// base, as it becomes the exponent of a power typed there.
void startSubscript(InsertionPoint& ip) {
  if (ip.mode == SelectionMode::Operator || ip.mode == SelectionMode::Cells) return;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  MathObject* made = wrapSelection(ip, ObjectKind::indexes, 2, ip.mode == SelectionMode::Before ? 1 : 0);
  made->setIndexCounts(1, 0);
}

// The child that a `chem` object with these flags has (or would have) for the slot of `bit`.
int chemChildIndex(int flags, int bit) {
  int index = 1;
  for (int b : kChemSlotBits) {
    if (b == bit) return index;
    if (flags & (1 << b)) ++index;
  }
  return index;
}

// The flags of a `chem` object's slots that its children fill, in their order, as the typesetter
// places them: a text form may flag more slots than the object has children.
int filledChemFlags(const MathObject& chem) {
  int flags = 0;
  int children = chem.childCount() - 1;
  for (int b : kChemSlotBits)
    if ((chem.payloadA & (1 << b)) && children-- > 0) flags |= 1 << b;
  return flags;
}

// The index slot commands run right lower, right upper, left lower, left upper: the order of the
// `chem` flag bits.
void indexSlot(InsertionPoint& ip, EditorCommand code) {
  MathObject* container = nearestAncestorOrSelf(ip.current, isIndexContainer);
  if (!container) return;
  const int bit = static_cast<int>(code - Command::FirstIndexSlot);
  if (container->kind == ObjectKind::indexes) {
    const int a = container->lowerIndexCount(), b = container->upperIndexCount();
    if (bit < 2) {
      // A right index adds to its group of an `indexes` object.
      MathObject* added = insertChild(*container, bit == 0 ? a + 1 : a + b + 1, makePrompt());
      container->setIndexCounts(a + (bit == 0), b + (bit == 1));
      select(ip, *added);
      return;
    }
    // Left indices need chemical notation, possible with at most one index of each group.
    if (a > 1 || b > 1) return;
    container->kind = ObjectKind::chem;
    container->payloadA = (a ? 1 : 0) | (b ? 2 : 0);
  }
  const int flags = filledChemFlags(*container);
  const int index = chemChildIndex(flags, bit);
  if (flags & (1 << bit)) {
    select(ip, *container->child(index));
    return;
  }
  MathObject* added = insertChild(*container, index, makePrompt());
  container->payloadA = flags | (1 << bit);
  select(ip, *added);
}

// Climbs to the child of the nearest ancestor that takes a new relation or list item.
MathObject* climbToItem(MathObject* o, bool listOnly) {
  while (o->parent) {
    const ObjectKind p = o->parent->kind;
    if (p == ObjectKind::list || p == ObjectKind::atop) break;
    if (!listOnly) {
      if (p == ObjectKind::comma) break;
      const bool limits = p == ObjectKind::substitution || p == ObjectKind::sum || p == ObjectKind::prod ||
                          p == ObjectKind::bigcup || p == ObjectKind::bigcap;
      if (limits && o->indexInParent == 1) break;
    }
    o = o->parent;
  }
  return o;
}

void openRelation(InsertionPoint& ip, ObjectKind kind) {
  MathObject* root = ip.root.get();
  if (kind == ObjectKind::equal && ip.mode == SelectionMode::Operator && ip.current == root &&
      root->childCount() == 2) {
    root->kind = ObjectKind::equal;
    markChangedFromRoot(ip);
    return;
  }
  if (ip.mode == SelectionMode::Cells || ip.mode == SelectionMode::Text) return;
  if (ip.mode == SelectionMode::Range) groupSelection(ip);
  ip.current = climbToItem(ip.current, kind == ObjectKind::comma);
  openSlotAfter(ip, kind);
}

void nextTemplateSlot(InsertionPoint& ip) {
  MathObject* o = ip.current;
  while (o->parent && !isTemplateKind(o->parent->kind)) o = o->parent;
  MathObject* holder = o->parent;
  if (!holder) return;
  if (o->indexInParent + 1 < holder->childCount())
    select(ip, *holder->child(o->indexInParent + 1));
  else
    select(ip, *holder, SelectionMode::After);
}

void adjustParentheses(InsertionPoint& ip) {
  MathObject* p = nearestAncestorOrSelf(ip.current, isParenthesis);
  if (!p) return;
  // Both parentheses, then the left one alone, then the right one alone.
  p->kind = p->kind == ObjectKind::id       ? ObjectKind::lparen
            : p->kind == ObjectKind::lparen ? ObjectKind::rparen
                                            : ObjectKind::id;
  resetInsertionPoint(ip);
  markChangedFromRoot(ip);
}

void wrapInMinus(InsertionPoint& ip) {
  switch (ip.mode) {
  case SelectionMode::Cells:
  case SelectionMode::Text:
  case SelectionMode::Operator:
    return;
  case SelectionMode::Range:
    groupSelection(ip);
    break;
  case SelectionMode::BetweenFactors:
    // Between two factors the sign goes in front of the right one.
    ip.current = ip.current->parent->child(ip.current->indexInParent + 1);
    break;
  default:
    break;
  }
  wrapSelection(ip, ObjectKind::minus, 1, 0);
}

} // namespace

void applyTemplate(InsertionPoint& ip, EditorCommand code) {
  if (!ip.current || ip.mode == SelectionMode::Text) return;
  const bool cells = ip.mode == SelectionMode::Cells;
  switch (code) {
  case Command::AddMatrixRow:
    addMatrixRow(ip);
    return;
  case Command::AddMatrixColumn:
    addMatrixColumn(ip);
    return;
  case Command::AddIndex:
    addIndex(ip);
    return;
  case Command::StartSubscript:
    startSubscript(ip);
    return;
  case Command::RightLowerIndexSlot:
  case Command::RightUpperIndexSlot:
  case Command::LeftLowerIndexSlot:
  case Command::LeftUpperIndexSlot:
    indexSlot(ip, code);
    return;
  default:
    break;
  }
  if (cells || ip.mode == SelectionMode::Operator) return;
  const auto row = std::find_if(kTwoSlotTemplates.begin(), kTwoSlotTemplates.end(),
                                [code](const TwoSlotRow& r) { return r.code == code; });
  if (row != kTwoSlotTemplates.end()) {
    twoSlotTemplate(ip, row->kind, row->slot, fillerOf(*row), row->caretOnOther);
    return;
  }
  switch (code) {
  case Command::WrapTotalDerivative:
    derivativeWrap(ip, ObjectKind::optotal);
    return;
  case Command::WrapPartialDerivative:
    derivativeWrap(ip, ObjectKind::oppartial);
    return;
  case Command::Reciprocal:
    reciprocal(ip);
    return;
  case Command::Derivative:
    derivativeWrap(ip, ObjectKind::oppartial);
    dispatch('x');
    return;
  case Command::TwoVector:
    vectorTemplate(ip, 2);
    return;
  case Command::ThreeVector:
    vectorTemplate(ip, 3);
    return;
  default:
    return;
  }
}

void applyOperatorKey(InsertionPoint& ip, EditorCommand code) {
  if (!ip.current) return;
  switch (code) {
  case Command::WrapMinus:
    wrapInMinus(ip);
    return;
  case Command::OpenEqual:
    openRelation(ip, ObjectKind::equal);
    return;
  case Command::OpenLessThan:
    openRelation(ip, ObjectKind::lessthan);
    return;
  case Command::OpenGreaterThan:
    openRelation(ip, ObjectKind::greaterthan);
    return;
  case Command::OpenComma:
    openRelation(ip, ObjectKind::comma);
    return;
  case Command::OpenLessOrEqual:
    openRelation(ip, ObjectKind::leq);
    return;
  case Command::OpenGreaterOrEqual:
    openRelation(ip, ObjectKind::geq);
    return;
  case Command::OpenNotEqual:
    openRelation(ip, ObjectKind::notequal);
    return;
  case Command::NextTemplateSlot:
    nextTemplateSlot(ip);
    return;
  case Command::AdjustParentheses:
    adjustParentheses(ip);
    return;
  default:
    return;
  }
}

} // namespace vexmar
