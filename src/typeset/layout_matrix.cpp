// Matrices: cells in rows and columns between square brackets drawn as strokes.
#include "typeset/layout_routines.h"

#include <algorithm>
#include <vector>

namespace vexmar {
namespace {

struct MatrixGrid {
  int rows = 0, columns = 0;
  std::vector<Fixed> rowAscent, rowDescent, columnWidth;
};

bool wellFormed(const MathObject& node) {
  const int rows = node.matrixRows(), columns = node.matrixColumns();
  return rows > 0 && columns > 0 && static_cast<long>(rows) * columns == node.childCount();
}

// Row and column maxima. There is no fixed limit on rows or columns: every matrix the text form
// can hold is measured in full.
MatrixGrid measureGrid(const LayoutContext& ctx, const MathObject& node) {
  MatrixGrid g;
  g.rows = node.matrixRows();
  g.columns = node.matrixColumns();
  g.rowAscent.assign(static_cast<std::size_t>(g.rows), 0);
  g.rowDescent.assign(static_cast<std::size_t>(g.rows), 0);
  g.columnWidth.assign(static_cast<std::size_t>(g.columns), 0);
  const bool byHeight = node.verticalAlignment != 0;
  for (int i = 0; i < node.childCount(); ++i) {
    const MathObject& cell = *node.child(i);
    const auto r = static_cast<std::size_t>(i / g.columns), c = static_cast<std::size_t>(i % g.columns);
    if (byHeight) {
      g.rowAscent[r] = std::max(g.rowAscent[r], heightOf(cell));
    } else {
      g.rowAscent[r] = std::max(g.rowAscent[r], ctx.effectiveAscent(cell));
      g.rowDescent[r] = std::max(g.rowDescent[r], ctx.effectiveDescent(cell));
    }
    g.columnWidth[c] = std::max(g.columnWidth[c], cell.width);
  }
  if (node.uniformRows) {
    const Fixed a = *std::max_element(g.rowAscent.begin(), g.rowAscent.end());
    const Fixed d = *std::max_element(g.rowDescent.begin(), g.rowDescent.end());
    std::fill(g.rowAscent.begin(), g.rowAscent.end(), a);
    std::fill(g.rowDescent.begin(), g.rowDescent.end(), d);
  }
  if (node.uniformColumns) {
    const Fixed w = *std::max_element(g.columnWidth.begin(), g.columnWidth.end());
    std::fill(g.columnWidth.begin(), g.columnWidth.end(), w);
  }
  return g;
}

} // namespace

void layoutMatrix(LayoutContext& ctx, MathObject& node) {
  if (!wellFormed(node)) {
    layoutInfix(ctx, node);
    return;
  }
  const Fixed rowGap = ctx.units(Spacing::kMatrixRowGap), columnGap = ctx.units(Spacing::kMatrixColumnGap);
  const Fixed margin = rowGap; // the brackets stand this far inside the box
  if (ctx.measuring()) {
    const MatrixGrid g = measureGrid(ctx, node);
    Fixed height = 2 * margin, width = 2 * margin;
    for (int r = 0; r < g.rows; ++r)
      height = saturatedAdd(height, g.rowAscent[static_cast<std::size_t>(r)] +
                                        g.rowDescent[static_cast<std::size_t>(r)] + 2 * rowGap);
    for (int c = 0; c < g.columns; ++c)
      width = saturatedAdd(width, g.columnWidth[static_cast<std::size_t>(c)] + 2 * columnGap);
    // Wide arithmetic: a matrix of many rows or columns may reach the length limit.
    using Wide = std::int64_t;
    Wide rowTop = margin;
    for (int r = 0; r < g.rows; ++r) {
      const Fixed ascent = g.rowAscent[static_cast<std::size_t>(r)];
      const Fixed descent = g.rowDescent[static_cast<std::size_t>(r)];
      const Wide top = rowTop + rowGap, rowHeight = Wide{ascent} + descent;
      Wide columnLeft = Wide{margin} + columnGap + ctx.hairline();
      for (int c = 0; c < g.columns; ++c) {
        MathObject& cell = *node.child(r * g.columns + c);
        const Fixed columnWidth = g.columnWidth[static_cast<std::size_t>(c)];
        const Wide slack = Wide{columnWidth} - cell.width;
        cell.relX = clampLength(columnLeft + (node.horizontalAlignment == 1   ? 0
                                              : node.horizontalAlignment == 2 ? slack
                                                                              : slack / 2));
        Wide cellBaseline = top + ascent + ctx.alignedBaseline(cell);
        if (node.verticalAlignment == 1) cellBaseline = top + cell.ascent;
        if (node.verticalAlignment == 2) cellBaseline = top + rowHeight - cell.descent;
        cell.relY = clampLength(cellBaseline + cell.descent - height);
        columnLeft += Wide{columnWidth} + 2 * columnGap;
      }
      rowTop += rowHeight + 2 * rowGap;
    }
    node.width = width;
    node.ascent = height / 2;
    node.descent = height - height / 2;
    node.textBox = 0;
    return;
  }
  if (node.style[1] != 0) return;
  const Fixed height = node.ascent + node.descent - node.padAscent - node.padTop;
  const Fixed width = node.width - node.padLeft - node.padRight;
  const Fixed top = node.bottom - height + margin, bottom = node.bottom - margin;
  const Fixed arm = ctx.units(Spacing::kBracketArm), stroke = std::max(ctx.hairline(), ctx.units(60));
  const Fixed left = node.left + margin, right = node.left + width - margin;
  ctx.drawLine(left, top, left, bottom, stroke);
  ctx.drawLine(left - stroke / 2, top, left + arm, top, stroke);
  ctx.drawLine(left - stroke / 2, bottom, left + arm, bottom, stroke);
  ctx.drawLine(right, top, right, bottom, stroke);
  ctx.drawLine(right + stroke / 2, top, right - arm, top, stroke);
  ctx.drawLine(right + stroke / 2, bottom, right - arm, bottom, stroke);
}

} // namespace vexmar
