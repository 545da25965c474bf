#include "editor/caret_geometry.h"

#include "editor/caret_movement.h"
#include "editor/typesetting_state.h"

#include <algorithm>

namespace vexmar {
namespace {

using Mode = SelectionMode;

CaretRectangle boxOf(const MathObject& o) {
  return {o.left, o.bottom - o.descent - o.ascent, o.width, o.ascent + o.descent};
}

CaretRectangle unite(const CaretRectangle& a, const CaretRectangle& b) {
  const Fixed x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const Fixed x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

void setBar(CaretShape& shape, Fixed x, const CaretRectangle& extent) {
  shape.bar = true;
  shape.barWidth = std::max(toFixed(1), extent.height / 30);
  shape.barX = x - shape.barWidth / 2;
  shape.barTop = extent.y;
  shape.barBottom = extent.y + extent.height;
}

// ---- Keyboard selection ----------------------------------------------------------------------

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

LinePoint centreOf(const MathObject& o) {
  return {o.left + o.width / 2, o.bottom - o.descent - o.ascent + heightOf(o) / 2};
}

} // namespace

CaretShape caretShape(Typesetter& typesetter, const InsertionPoint& ip) {
  CaretShape shape;
  if (!ip.root || !ip.current) return shape;
  const MathObject& current = *ip.current;
  const CaretRectangle box = boxOf(current);
  switch (ip.mode) {
  case Mode::Object:
    shape.highlight.push_back(box);
    break;
  case Mode::Range:
  case Mode::Cells: {
    const MathObject* first = optionalChild(current, ip.selFirst);
    const MathObject* last = optionalChild(current, ip.selLast);
    if (!first || !last) break;
    if (ip.mode == Mode::Range) {
      shape.highlight.push_back(unite(boxOf(*first), boxOf(*last)));
      break;
    }
    // The rectangle of cells whose corners are the two cell indices.
    const int columns = std::max(current.matrixColumns(), 1);
    const int r0 = std::min(ip.selFirst, ip.selLast) / columns,
              r1 = std::max(ip.selFirst, ip.selLast) / columns;
    const int c0 = std::min(ip.selFirst % columns, ip.selLast % columns);
    const int c1 = std::max(ip.selFirst % columns, ip.selLast % columns);
    CaretRectangle area = boxOf(*first);
    for (int r = r0; r <= r1; ++r)
      for (int c = c0; c <= c1; ++c)
        if (const MathObject* cell = optionalChild(current, r * columns + c))
          area = unite(area, boxOf(*cell));
    shape.highlight.push_back(area);
    break;
  }
  case Mode::Operator: {
    const MathObject* left = optionalChild(current, ip.selFirst);
    const MathObject* right = optionalChild(current, ip.selFirst + 1);
    if (current.shape() == KindShape::Infix && left && right) {
      const Fixed x0 = left->left + left->width;
      shape.highlight.push_back({x0, box.y, right->left - x0, box.height});
    } else if (const MathObject* operand = current.firstChild()) {
      shape.highlight.push_back({box.x, box.y, operand->left - box.x, box.height});
    }
    break;
  }
  case Mode::After:
    setBar(shape, box.x + box.width, box);
    break;
  case Mode::Before:
    setBar(shape, box.x, box);
    break;
  case Mode::BetweenFactors: {
    const MathObject* next =
        current.parent ? optionalChild(*current.parent, current.indexInParent + 1) : nullptr;
    const Fixed right = box.x + box.width;
    setBar(shape, next ? (right + next->left) / 2 : right, next ? unite(box, boxOf(*next)) : box);
    break;
  }
  case Mode::Text: {
    const Fixed a = typesetter.textPrefixWidth(ip, current, std::min(ip.selFirst, ip.selLast));
    const Fixed b = typesetter.textPrefixWidth(ip, current, std::max(ip.selFirst, ip.selLast));
    if (a == b)
      setBar(shape, box.x + a, box);
    else
      shape.highlight.push_back({box.x + a, box.y, b - a, box.height});
    break;
  }
  }
  return shape;
}

LinePoint displayToLine(const InsertionPoint& ip, LinePoint drawn) {
  const std::vector<DisplayLine> lines = Typesetter::displayLines(ip);
  const DisplayLine* line = &lines.front();
  for (const DisplayLine& l : lines)
    if (drawn.y >= l.shift) line = &l;
  return {drawn.x + line->start, drawn.y - line->shift};
}

LinePoint lineToDisplay(const InsertionPoint& ip, LinePoint point) {
  const std::vector<DisplayLine> lines = Typesetter::displayLines(ip);
  const DisplayLine* line = &lines.front();
  for (const DisplayLine& l : lines)
    if (point.x >= l.start) line = &l;
  return {point.x - line->start, point.y + line->shift};
}

void clickAt(Typesetter& typesetter, InsertionPoint& ip, LinePoint drawn) {
  if (!ip.root) return;
  typesetter.ensureLayout(ip);
  const LinePoint p = displayToLine(ip, drawn);
  MathObject& root = *ip.root;
  if (MathObject* object = objectAt(root, p.x, p.y)) {
    placeByClick(ip, *object, p.x, p.y, [&](const MathObject& string, Fixed x) {
      return typesetter.characterIndexAt(ip, string, x);
    });
  } else {
    setInsertionPoint(ip, root, p.x > root.left + root.width / 2 ? Mode::After : Mode::Before);
  }
  SelectionAnchor& s = typesettingState().selection;
  s.line = ip.serial;
  s.anchor = s.moving = s.result = keep(ip);
}

void dragTo(Typesetter& typesetter, InsertionPoint& ip, LinePoint press, LinePoint current) {
  if (!ip.root) return;
  typesetter.ensureLayout(ip);
  const LinePoint a = displayToLine(ip, press), b = displayToLine(ip, current);
  placeByDrag(ip, a.x, a.y, b.x, b.y);
}

void extendSelection(InsertionPoint& ip, bool right) {
  Typesetter* typesetter = typesettingState().typesetter;
  if (!typesetter || !ip.root || !ip.current) return;
  typesetter->ensureLayout(ip);
  SelectionAnchor& s = typesettingState().selection;
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
