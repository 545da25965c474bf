#include "editor/keyboard_selection.h"

#include "editor/caret_movement.h"
#include "editor/editor_state.h"

#include <algorithm>

namespace vexmar {
namespace {

using Mode = SelectionMode;

KeptCaret keep(const InsertionPoint& ip) { return {pathTo(*ip.current), ip.mode, ip.selFirst, ip.selLast}; }

KeptCaret caretAt(const MathObject& object, Mode mode) { return {pathTo(object), mode, 0, 0}; }

bool sameState(const InsertionPoint& ip, const KeptCaret& kept) {
  return ip.mode == kept.mode && ip.selFirst == kept.selFirst && ip.selLast == kept.selLast &&
         pathTo(*ip.current) == kept.path;
}

bool restore(InsertionPoint& ip, const KeptCaret& kept) {
  MathObject* object = followPath(*ip.root, kept.path);
  if (!object) return false;
  ip.current = object;
  ip.mode = kept.mode;
  ip.selFirst = kept.selFirst;
  ip.selLast = kept.selLast;
  return true;
}

// Leaves in reading order; a caret's place among them is a boundary: boundary k lies between
// leaf k - 1 and leaf k.
std::vector<MathObject*> leavesOf(MathObject& root) {
  std::vector<MathObject*> leaves;
  for (MathObject* n = &root; n; n = nextPreorder(*n, root))
    if (n->childCount() == 0) leaves.push_back(n);
  return leaves;
}

int leafIndex(const std::vector<MathObject*>& leaves, const MathObject* leaf) {
  const auto it = std::find(leaves.begin(), leaves.end(), leaf);
  return it == leaves.end() ? 0 : static_cast<int>(it - leaves.begin());
}

// The boundary of a caret; a selection (which a move can land on, as on a prompt) counts as the
// caret beyond it in the direction of the move.
int boundaryOf(const std::vector<MathObject*>& leaves, MathObject& object, Mode mode, bool right) {
  switch (mode) {
  case Mode::After:
  case Mode::BetweenFactors:
    return leafIndex(leaves, lastLeaf(object)) + 1;
  case Mode::Before:
    return leafIndex(leaves, firstLeaf(object));
  default:
    return right ? leafIndex(leaves, lastLeaf(object)) + 1 : leafIndex(leaves, firstLeaf(object));
  }
}

int boundaryOf(const std::vector<MathObject*>& leaves, InsertionPoint& ip, const KeptCaret& kept,
               bool right) {
  MathObject* object = followPath(*ip.root, kept.path);
  return object ? boundaryOf(leaves, *object, kept.mode, right) : 0;
}

// The ends of a selection, in reading order.
struct SelectionEnds {
  MathObject* first;
  MathObject* last;
};

SelectionEnds selectionEnds(const InsertionPoint& ip) {
  MathObject& current = *ip.current;
  auto child = [&](int i) {
    MathObject* c = optionalChild(current, i);
    return c ? c : &current;
  };
  switch (ip.mode) {
  case Mode::Range:
  case Mode::Cells:
    return {child(ip.selFirst), child(ip.selLast)};
  default:
    return {&current, &current};
  }
}

// Starts a keyboard selection: the fixed end at the near side of the selection (or at the caret),
// the moving end at its far side.
void startSelection(InsertionPoint& ip, SelectionAnchor& s, bool right) {
  s.line = ip.serial;
  const Mode mode = ip.mode;
  const bool caret = mode == Mode::After || mode == Mode::Before || mode == Mode::BetweenFactors ||
                     (mode == Mode::Text && ip.selFirst == ip.selLast);
  if (caret) {
    s.anchor = s.moving = keep(ip);
    return;
  }
  if (mode == Mode::Operator) {
    // An operator stands between its operands: start from the caret there.
    MathObject* left =
        ip.current->shape() == KindShape::Infix ? optionalChild(*ip.current, ip.selFirst) : nullptr;
    s.anchor = s.moving = left ? caretAt(*left, Mode::After) : caretAt(*ip.current, Mode::Before);
    return;
  }
  const SelectionEnds ends = selectionEnds(ip);
  s.anchor = right ? caretAt(*ends.first, Mode::Before) : caretAt(*ends.last, Mode::After);
  s.moving = right ? caretAt(*ends.last, Mode::After) : caretAt(*ends.first, Mode::Before);
}

} // namespace

void clickAt(Typesetter& typesetter, InsertionPoint& ip, LinePoint drawn) {
  if (!ip.root) return;
  placeCaretAt(typesetter, ip, drawn);
  // A click moves the caret: what is typed next is a new undo step.
  editorState().snapshotDue = true;
  SelectionAnchor& s = editorState().selection;
  s.line = ip.serial;
  s.anchor = s.moving = s.result = keep(ip);
}

void extendSelection(InsertionPoint& ip, bool right) {
  Typesetter* typesetter = editorState().typesetter;
  if (!typesetter || !ip.root || !ip.current) return;
  typesetter->ensureLayout(ip);
  SelectionAnchor& s = editorState().selection;
  const bool continuing = s.line == ip.serial && sameState(ip, s.result) &&
                          followPath(*ip.root, s.anchor.path) && followPath(*ip.root, s.moving.path);
  if (!continuing) startSelection(ip, s, right);

  // The moving end moves like the caret until it has passed a leaf: a caret after one operand and
  // before the next stand at the same place, so that usually takes two moves.
  const std::vector<MathObject*> leaves = leavesOf(*ip.root);
  const KeptCaret saved = keep(ip);
  if (!restore(ip, s.moving)) return;
  const int start = boundaryOf(leaves, *ip.current, ip.mode, right);
  for (int step = 0; step < 64; ++step) {
    const KeptCaret before = keep(ip);
    moveCaret(ip, right ? Command::Right : Command::Left);
    if (sameState(ip, before) || boundaryOf(leaves, *ip.current, ip.mode, right) != start) break;
  }
  s.moving = keep(ip);
  const int moving = boundaryOf(leaves, *ip.current, ip.mode, right);
  const int anchor = boundaryOf(leaves, ip, s.anchor, !right);
  if (moving == anchor || leaves.empty()) {
    // Back at the anchor: no selection, just the caret.
    s.result = keep(ip);
    return;
  }
  // The drag a mouse would make from the first passed leaf to the last.
  const int size = static_cast<int>(leaves.size());
  const MathObject& pressLeaf =
      *leaves[static_cast<std::size_t>(std::clamp(anchor < moving ? anchor : anchor - 1, 0, size - 1))];
  const MathObject& hereLeaf =
      *leaves[static_cast<std::size_t>(std::clamp(anchor < moving ? moving - 1 : moving, 0, size - 1))];
  const LinePoint press = centreOf(pressLeaf), here = centreOf(hereLeaf);
  if (!restore(ip, saved)) return;
  placeByDrag(ip, press.x, press.y, here.x, here.y);
  s.result = keep(ip);
}

} // namespace vexmar
