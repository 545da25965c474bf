#include "typeset/caret_geometry.h"

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

} // namespace

LinePoint centreOf(const MathObject& o) {
  return {o.left + o.width / 2, o.bottom - o.descent - o.ascent + heightOf(o) / 2};
}

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

void placeCaretAt(Typesetter& typesetter, InsertionPoint& ip, LinePoint drawn) {
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
}

void dragTo(Typesetter& typesetter, InsertionPoint& ip, LinePoint press, LinePoint current) {
  if (!ip.root) return;
  typesetter.ensureLayout(ip);
  const LinePoint a = displayToLine(ip, press), b = displayToLine(ip, current);
  placeByDrag(ip, a.x, a.y, b.x, b.y);
}

} // namespace vexmar
