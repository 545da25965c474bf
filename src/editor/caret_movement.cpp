#include "editor/caret_movement.h"

#include "editor/editing_operations.h"
#include "editor/keyboard_selection.h"

#include <algorithm>
#include <array>

namespace vexmar {
namespace {

using Mode = SelectionMode;

bool hasShape(const MathObject* o, KindShape shape) { return o && o->shape() == shape; }

// The first sibling after the nearest ancestor-or-self that has one.
MathObject* nextObject(const MathObject& object) {
  for (const MathObject* n = &object; n->parent; n = n->parent) {
    const MathObject& p = *n->parent;
    for (int i = std::max(n->indexInParent + 1, 0); i < p.childCount(); ++i)
      if (p.child(i)) return p.child(i);
  }
  return nullptr;
}

// The last sibling before the nearest ancestor-or-self that has one.
MathObject* previousObject(const MathObject& object) {
  for (const MathObject* n = &object; n->parent; n = n->parent) {
    const MathObject& p = *n->parent;
    for (int i = std::min(n->indexInParent, p.childCount()) - 1; i >= 0; --i)
      if (p.child(i)) return p.child(i);
  }
  return nullptr;
}

// Climbs from `start` over the ancestors the caret cannot rest beside and returns the first one it
// can, or null at the top: setInsertionPoint would push a caret after an infix or prefix object (or
// before an infix or postfix one) straight back inside. A caret after a `sqrt` stays put, so
// moving right stops there.
enum class Through { InfixOrPrefix, InfixOrPrefixButSqrt, InfixOrPostfix };

MathObject* climb(MathObject* start, Through through) {
  for (MathObject* n = start; n; n = n->parent) {
    const KindShape s = n->shape();
    bool passes = s == KindShape::Infix;
    switch (through) {
    case Through::InfixOrPrefix:
      passes = passes || s == KindShape::Prefix;
      break;
    case Through::InfixOrPrefixButSqrt:
      passes = passes || (s == KindShape::Prefix && n->kind != ObjectKind::sqrt);
      break;
    case Through::InfixOrPostfix:
      passes = passes || s == KindShape::Postfix;
      break;
    }
    if (!passes) return n;
  }
  return nullptr;
}

void place(InsertionPoint& ip, MathObject& object, Mode mode) { setInsertionPoint(ip, object, mode); }

void placeInText(InsertionPoint& ip, MathObject& string, int index) {
  setInsertionPoint(ip, string, Mode::Text);
  ip.selFirst = ip.selLast = index;
}

// Keeps the selection indices inside what the current object holds, so a stale or hand-made
// insertion point can never make a move read out of range.
void clampSelection(InsertionPoint& ip) {
  int last = 0;
  switch (ip.mode) {
  case Mode::Range:
  case Mode::Cells:
    last = std::max(ip.current->childCount() - 1, 0);
    break;
  case Mode::Text:
    last = static_cast<int>(ip.current->text.size());
    break;
  default:
    return;
  }
  ip.selFirst = std::clamp(ip.selFirst, 0, last);
  ip.selLast = std::clamp(ip.selLast, 0, last);
}

// One step into `n` from its left: past a prefix operator or an opening delimiter, past the operand
// of a postfix operator, or past `n` altogether.
void stepIntoFromLeft(InsertionPoint& ip, MathObject& n) {
  MathObject* first = n.firstChild();
  const KindShape s = n.shape();
  if (first && (s == KindShape::Prefix || s == KindShape::Enclosing))
    place(ip, *first, Mode::Before);
  else if (first && s == KindShape::Postfix)
    place(ip, *first, Mode::After);
  else
    place(ip, n, Mode::After);
}

void rightFromAfter(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  MathObject* p = current.parent;
  // Leaving the operand of x!, a radicand or the inside of delimiters.
  if (p && (p->shape() == KindShape::Postfix || p->kind == ObjectKind::sqrt ||
            p->shape() == KindShape::Enclosing)) {
    place(ip, *p, Mode::After);
    return;
  }
  if (MathObject* n = nextObject(current)) {
    if (hasShape(p, KindShape::Prefix))
      stepIntoFromLeft(ip, *n);
    else
      place(ip, *n, Mode::Before);
    return;
  }
  if (MathObject* exit = climb(p, Through::InfixOrPrefixButSqrt)) place(ip, *exit, ip.mode);
}

void leftFromBefore(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  MathObject* p = current.parent;
  if (hasShape(p, KindShape::Prefix) || hasShape(p, KindShape::Enclosing)) {
    place(ip, *p, Mode::Before);
    return;
  }
  if (MathObject* q = previousObject(current)) {
    place(ip, *lastLeaf(*q), Mode::After);
    return;
  }
  if (MathObject* exit = climb(p, Through::InfixOrPostfix)) place(ip, *exit, ip.mode);
}

// Modes 3 and 5: one step back into the object the caret is after.
void leftFromAfter(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  MathObject* first = current.firstChild();
  const KindShape s = current.shape();
  if (first && (s == KindShape::Postfix || s == KindShape::Enclosing))
    place(ip, *first, Mode::After);
  else if (first && s == KindShape::Prefix)
    place(ip, *first, Mode::Before);
  else
    place(ip, current, Mode::Before);
}

void moveRight(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  switch (ip.mode) {
  case Mode::Object:
    if (current.kind != ObjectKind::prompt) {
      place(ip, current, Mode::After);
    } else {
      MathObject* n = nextObject(current);
      place(ip, *firstLeaf(n ? *n : *ip.root), ip.mode);
    }
    return;
  case Mode::Range: {
    MathObject* last = optionalChild(current, ip.selLast);
    place(ip, last ? *last : current, Mode::After);
    return;
  }
  case Mode::Operator:
    if (current.shape() == KindShape::Infix) {
      if (MathObject* operand = optionalChild(current, ip.selFirst + 1)) place(ip, *operand, Mode::Before);
    } else if (current.shape() == KindShape::Prefix && current.firstChild()) {
      place(ip, *current.firstChild(), Mode::Before);
    }
    return;
  case Mode::After:
    rightFromAfter(ip);
    return;
  case Mode::Before:
    if (current.firstChild() &&
        (current.shape() == KindShape::Prefix || current.shape() == KindShape::Enclosing))
      place(ip, *current.firstChild(), Mode::Before);
    else
      place(ip, current, Mode::After);
    return;
  case Mode::BetweenFactors:
    if (hasShape(current.parent, KindShape::Postfix)) {
      place(ip, *current.parent, Mode::After);
    } else if (MathObject* n = nextObject(current)) {
      stepIntoFromLeft(ip, *n);
    }
    return;
  case Mode::Cells: {
    MathObject* cell = optionalChild(current, ip.selLast);
    place(ip, cell ? *cell : current, Mode::Object);
    return;
  }
  case Mode::Text: {
    const int index = std::max(ip.selFirst, ip.selLast) + 1;
    if (index >= static_cast<int>(current.text.size()))
      place(ip, current, Mode::After);
    else
      placeInText(ip, current, index);
    return;
  }
  }
}

void moveLeft(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  switch (ip.mode) {
  case Mode::Object:
    if (current.kind != ObjectKind::prompt) {
      place(ip, current, Mode::Before);
    } else {
      MathObject* q = previousObject(current);
      place(ip, *lastLeaf(q ? *q : *ip.root), ip.mode);
    }
    return;
  case Mode::Range: {
    MathObject* first = optionalChild(current, ip.selFirst);
    place(ip, first ? *first : current, Mode::Before);
    return;
  }
  case Mode::Operator:
    if (current.shape() == KindShape::Infix) {
      if (MathObject* operand = optionalChild(current, ip.selFirst)) place(ip, *operand, Mode::After);
    } else if (current.shape() == KindShape::Prefix) {
      place(ip, current, Mode::Before);
    }
    return;
  case Mode::After:
  case Mode::BetweenFactors:
    leftFromAfter(ip);
    return;
  case Mode::Before:
    leftFromBefore(ip);
    return;
  case Mode::Cells: {
    MathObject* cell = optionalChild(current, ip.selFirst);
    place(ip, cell ? *cell : current, Mode::Object);
    return;
  }
  case Mode::Text: {
    const int index = std::min(ip.selFirst, ip.selLast) - 1;
    if (index <= 0)
      place(ip, current, Mode::Before);
    else
      placeInText(ip, current, index);
    return;
  }
  }
}

// Repeated Up grows the selection outward one level at a time.
void moveUp(InsertionPoint& ip) {
  if (ip.mode != Mode::Object)
    place(ip, *ip.current, Mode::Object);
  else if (ip.current->parent)
    place(ip, *ip.current->parent, Mode::Object);
}

void moveDown(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  if (MathObject* first = current.firstChild()) {
    switch (ip.mode) {
    case Mode::Operator:
      return;
    case Mode::Range:
    case Mode::Cells:
      if (MathObject* child = optionalChild(current, ip.selFirst)) place(ip, *child, Mode::Object);
      return;
    default:
      place(ip, *first, ip.mode);
      return;
    }
  }
  if (ip.mode == Mode::Object) {
    place(ip, current, Mode::After);
  } else if (ip.mode == Mode::After) {
    if (MathObject* exit = climb(current.parent, Through::InfixOrPrefix)) place(ip, *exit, Mode::After);
  }
}

void moveSpace(InsertionPoint& ip) {
  if (ip.mode == Mode::Object)
    moveUp(ip);
  else if (ip.mode == Mode::After && ip.current->kind == ObjectKind::string)
    commitText(ip);
  else
    place(ip, *ip.current, Mode::Object);
}

void selectLastChild(InsertionPoint& ip) {
  MathObject& current = *ip.current;
  if (ip.mode == Mode::Operator) return;
  const bool indexed = ip.mode == Mode::Range || ip.mode == Mode::Cells;
  if (MathObject* child = optionalChild(current, indexed ? ip.selLast : current.childCount() - 1))
    place(ip, *child, Mode::Object);
}

void nextSlot(InsertionPoint& ip) {
  MathObject* n = nextObject(*ip.current);
  place(ip, *firstLeaf(n ? *n : *ip.root), Mode::Object);
}

void previousSlot(InsertionPoint& ip) {
  MathObject* q = previousObject(*ip.current);
  place(ip, *lastLeaf(q ? *q : *ip.root), Mode::Object);
}

void nextPrompt(InsertionPoint& ip) { selectNextPrompt(ip); }

void leaveParentheses(InsertionPoint& ip) {
  for (MathObject* p = ip.current->parent; p; p = p->parent) {
    if (p->kind == ObjectKind::id) {
      place(ip, *p, Mode::After);
      return;
    }
  }
}

// Shift+arrows select what a mouse drag from the anchor over the objects the caret passes would,
// on the layout (nothing happens while no typesetter is installed).
void extendRight(InsertionPoint& ip) { extendSelection(ip, true); }
void extendLeft(InsertionPoint& ip) { extendSelection(ip, false); }

struct CaretMove {
  EditorCommand code;
  void (*move)(InsertionPoint&);
};

constexpr std::array<CaretMove, 16> kCaretMoves = {{
    {Command::NextSlot, nextSlot},
    {Command::Up, moveUp},
    {Command::Down, moveDown},
    {Command::Right, moveRight},
    {Command::Left, moveLeft},
    {Command::SpaceMove, moveSpace},
    {Command::AlternativeSpaceMove, selectLastChild},
    {Command::LeftAlternative, moveLeft},
    {Command::RightAlternative, moveRight},
    {Command::ExtendUp, moveUp},
    {Command::ExtendDown, moveDown},
    {Command::ExtendRight, extendRight},
    {Command::ExtendLeft, extendLeft},
    {Command::PreviousSlot, previousSlot},
    {Command::NextPrompt, nextPrompt},
    {Command::LeaveParentheses, leaveParentheses},
}};

} // namespace

void moveCaret(InsertionPoint& ip, EditorCommand code) {
  if (!ip.root || !ip.current) return;
  const auto row = std::find_if(kCaretMoves.begin(), kCaretMoves.end(),
                                [code](const CaretMove& m) { return m.code == code; });
  if (row == kCaretMoves.end()) return;
  clampSelection(ip);
  row->move(ip);
  clampSelection(ip);
}

} // namespace vexmar
