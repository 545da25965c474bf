// Delimiters: parentheses, brackets, braces, bars and angle brackets around their operands, and
// the strokes above or below an operand (overline, horizontal braces).
#include "typeset/layout_routines.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vexmar {
namespace {

constexpr std::uint8_t kComma = ','; // text face
constexpr int kDelimiterMargin = 60; // drawn delimiters reach this far beyond their content
constexpr int kInside = 60;          // between a delimiter and its content
constexpr int kFitTolerance = 30;    // content this much taller than the font still takes a glyph
constexpr int kBraceDepth = 300;     // how far a horizontal brace reaches
constexpr int kBraceGap = 100;

struct Point {
  Fixed x, y;
};

bool fitsGlyph(const LayoutContext& ctx, Fixed ascent, Fixed descent) {
  const Fixed tolerance = ctx.units(kFitTolerance);
  return ascent <= ctx.metrics().ascent + tolerance && descent <= ctx.metrics().descent + tolerance;
}

// The text-face glyph of a shape, or 0 for shapes that are always drawn as strokes.
std::uint8_t delimiterGlyph(DelimiterShape shape, bool opening) {
  switch (shape) {
  case DelimiterShape::Parenthesis:
    return opening ? '(' : ')';
  case DelimiterShape::Bracket:
    return opening ? '[' : ']';
  case DelimiterShape::Brace:
    return opening ? '{' : '}';
  default:
    return 0;
  }
}

Fixed stroke(const LayoutContext& ctx) { return std::max(ctx.hairline(), ctx.units(60)); }

// Draws a polyline whose stroke swells from `thin` at its ends to `thick` in its middle.
template <std::size_t N>
void drawSwelling(const LayoutContext& ctx, const std::array<Point, N>& points, Fixed thin, Fixed thick) {
  for (std::size_t i = 1; i < N; ++i) {
    const double middle = (static_cast<double>(i) - 0.5) / static_cast<double>(N - 1);
    const auto t = static_cast<Fixed>(thin + (thick - thin) * std::sin(std::numbers::pi * middle));
    ctx.drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, t);
  }
}

// A brace of length `length` and depth `depth` in its own frame: u runs along it, v across, with
// the cusp at v = 0 and the ends at v = depth; `place` maps (u, v) to line coordinates.
template <typename Place> void drawBrace(const LayoutContext& ctx, Fixed length, Fixed depth, Place place) {
  const double half = depth / 2.0, r = std::min<double>(depth, length / 4.0);
  const double l = length;
  struct Curve {
    double u0, v0, cu, cv, u1, v1;
  };
  const std::array<Curve, 6> curves = {{
      {0, static_cast<double>(depth), 0, half, r, half},
      {r, half, l / 4, half, l / 2 - r, half},
      {l / 2 - r, half, l / 2, half, l / 2, 0},
      {l / 2, 0, l / 2, half, l / 2 + r, half},
      {l / 2 + r, half, 3 * l / 4, half, l - r, half},
      {l - r, half, l, half, l, static_cast<double>(depth)},
  }};
  const Fixed thickness = stroke(ctx);
  for (const Curve& c : curves) {
    constexpr int kSteps = 6;
    Point previous = place(static_cast<Fixed>(c.u0), static_cast<Fixed>(c.v0));
    for (int i = 1; i <= kSteps; ++i) {
      const double t = static_cast<double>(i) / kSteps, s = 1 - t;
      const double u = s * s * c.u0 + 2 * s * t * c.cu + t * t * c.u1;
      const double v = s * s * c.v0 + 2 * s * t * c.cv + t * t * c.v1;
      const Point p = place(static_cast<Fixed>(u), static_cast<Fixed>(v));
      ctx.drawLine(previous.x, previous.y, p.x, p.y, thickness);
      previous = p;
    }
  }
}

// Content extent of a node's children on a shared baseline, at least the font's.
struct Extent {
  Fixed ascent, descent;
};

Extent childrenExtent(const LayoutContext& ctx, const MathObject& node, int first, int last) {
  Extent e{ctx.metrics().ascent, ctx.metrics().descent};
  for (int i = first; i <= last && i < node.childCount(); ++i) {
    e.ascent = std::max(e.ascent, ctx.effectiveAscent(*node.child(i)));
    e.descent = std::max(e.descent, ctx.effectiveDescent(*node.child(i)));
  }
  return e;
}

// What separates the operands inside a pair of delimiters.
enum class Middle : std::uint8_t { None, Comma, Bar };

struct Enclosure {
  DelimiterShape open;
  DelimiterShape close;
  bool hasOpen = true;
  bool hasClose = true;
  Middle middle = Middle::None;
};

Fixed middleWidth(const LayoutContext& ctx, Middle middle) {
  switch (middle) {
  case Middle::Comma:
    return ctx.glyphWidth(Face::Text, kComma) + ctx.units(Spacing::kOperatorGap);
  case Middle::Bar:
    return ctx.units(2 * kInside + 100);
  default:
    return 0;
  }
}

// Operands in a row between two delimiters that grow with them.
void layoutEnclosed(LayoutContext& ctx, MathObject& node, const Enclosure& e) {
  const Extent extent = childrenExtent(ctx, node, 0, node.childCount() - 1);
  const Fixed inside = ctx.units(kInside);
  const Fixed openWidth = e.hasOpen ? delimiterWidth(ctx, e.open, extent.ascent, extent.descent) + inside : 0;
  const Fixed between = middleWidth(ctx, e.middle);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    const Fixed end = placeInRow(ctx, placer, node, 0, node.childCount() - 1, openWidth, between);
    placer.extend(delimiterAscent(ctx, extent.ascent, extent.descent),
                  delimiterDescent(ctx, extent.ascent, extent.descent));
    placer.finish(node);
    const Fixed closeWidth =
        e.hasClose ? inside + delimiterWidth(ctx, e.close, extent.ascent, extent.descent) : 0;
    node.width = end + closeWidth;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  if (e.hasOpen) drawDelimiter(ctx, e.open, true, node.left, baseline, extent.ascent, extent.descent);
  for (int i = 1; i < node.childCount(); ++i) {
    const MathObject& left = *node.child(i - 1);
    const Fixed x = node.left + left.relX + left.width;
    if (e.middle == Middle::Comma) {
      ctx.drawGlyph(Face::Text, kComma, x, baseline);
    } else if (e.middle == Middle::Bar) {
      const Fixed barX = x + between / 2;
      ctx.drawLine(barX, baseline - delimiterAscent(ctx, extent.ascent, extent.descent), barX,
                   baseline + delimiterDescent(ctx, extent.ascent, extent.descent), stroke(ctx));
    }
  }
  const MathObject* last = node.lastChild();
  const Fixed contentEnd = last ? last->relX + last->width : openWidth;
  if (e.hasClose)
    drawDelimiter(ctx, e.close, false, node.left + contentEnd + inside, baseline, extent.ascent,
                  extent.descent);
}

// `choice`: a binomial coefficient, the two operands stacked on the math axis in parentheses.
void layoutChoice(LayoutContext& ctx, MathObject& node) {
  MathObject* top = optionalChild(node, 0);
  MathObject* bottom = optionalChild(node, 1);
  if (!top || !bottom) {
    layoutEnclosed(ctx, node, {DelimiterShape::Parenthesis, DelimiterShape::Parenthesis});
    return;
  }
  const Fixed gap = ctx.units(Spacing::kFractionGap), axis = ctx.axis();
  const Fixed ascent = axis + gap + heightOf(*top), descent = gap + heightOf(*bottom) - axis;
  const Fixed inside = ctx.units(kInside);
  const Fixed open = delimiterWidth(ctx, DelimiterShape::Parenthesis, ascent, descent) + inside;
  const Fixed width = std::max(top->width, bottom->width);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    placer.put(*top, open + (width - top->width) / 2, -axis - gap - top->descent);
    placer.put(*bottom, open + (width - bottom->width) / 2, -axis + gap + bottom->ascent);
    placer.extend(delimiterAscent(ctx, ascent, descent), delimiterDescent(ctx, ascent, descent));
    placer.finish(node);
    node.width = 2 * open + width;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  drawDelimiter(ctx, DelimiterShape::Parenthesis, true, node.left, baseline, ascent, descent);
  drawDelimiter(ctx, DelimiterShape::Parenthesis, false, node.left + open + width + inside, baseline, ascent,
                descent);
}

// An operand with a stroke above it (overline) or a brace above or below it.
enum class Mark : std::uint8_t { Overline, BraceAbove, BraceBelow };

void layoutMarked(LayoutContext& ctx, MathObject& node, Mark mark) {
  MathObject* operand = optionalChild(node, 0);
  const Extent extent = childrenExtent(ctx, node, 0, 0);
  const Fixed width = operand ? operand->width : 0;
  const Fixed rule = ctx.rule();
  const Fixed braceDepth = ctx.units(kBraceDepth), braceGap = ctx.units(kBraceGap);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    if (operand) placeInRow(ctx, placer, node, 0, 0, 0, 0);
    if (mark == Mark::Overline) placer.extend(extent.ascent + ctx.hairline() + 2 * rule, 0);
    if (mark == Mark::BraceAbove) placer.extend(extent.ascent + braceGap + braceDepth, 0);
    if (mark == Mark::BraceBelow) placer.extend(0, extent.descent + braceGap + braceDepth);
    placer.finish(node);
    node.width = width;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node), x = node.left;
  switch (mark) {
  case Mark::Overline: {
    const Fixed y = baseline - extent.ascent - rule;
    ctx.drawLine(x, y, x + width, y, ctx.hairline());
    break;
  }
  case Mark::BraceAbove: {
    const Fixed tip = baseline - extent.ascent - braceGap - braceDepth;
    drawBrace(ctx, width, braceDepth, [&](Fixed u, Fixed v) { return Point{x + u, tip + v}; });
    break;
  }
  case Mark::BraceBelow: {
    const Fixed tip = baseline + extent.descent + braceGap + braceDepth;
    drawBrace(ctx, width, braceDepth, [&](Fixed u, Fixed v) { return Point{x + u, tip - v}; });
    break;
  }
  }
}

} // namespace

Fixed delimiterWidth(const LayoutContext& ctx, DelimiterShape shape, Fixed ascent, Fixed descent) {
  const bool fits = fitsGlyph(ctx, ascent, descent);
  const Fixed height = ascent + descent;
  if (const std::uint8_t glyph = delimiterGlyph(shape, true)) {
    const Fixed glyphWidth = ctx.glyphWidth(Face::Text, glyph);
    if (fits) return glyphWidth;
    return std::max(glyphWidth, height / (shape == DelimiterShape::Bracket ? 12 : 9));
  }
  switch (shape) {
  case DelimiterShape::Bar:
    return ctx.units(250);
  case DelimiterShape::DoubleBar:
    return ctx.units(400);
  case DelimiterShape::Angle:
    return std::max(ctx.units(330), height / 9);
  default: // floor and ceiling
    return ctx.units(330);
  }
}

Fixed delimiterAscent(const LayoutContext& ctx, Fixed ascent, Fixed descent) {
  if (fitsGlyph(ctx, ascent, descent)) return ctx.metrics().ascent;
  return ascent + ctx.units(kDelimiterMargin);
}

Fixed delimiterDescent(const LayoutContext& ctx, Fixed ascent, Fixed descent) {
  if (fitsGlyph(ctx, ascent, descent)) return ctx.metrics().descent;
  return descent + ctx.units(kDelimiterMargin);
}

void drawDelimiter(const LayoutContext& ctx, DelimiterShape shape, bool opening, Fixed x, Fixed baseline,
                   Fixed ascent, Fixed descent) {
  const Fixed width = delimiterWidth(ctx, shape, ascent, descent);
  const bool fits = fitsGlyph(ctx, ascent, descent);
  if (const std::uint8_t glyph = delimiterGlyph(shape, opening); glyph && fits) {
    ctx.drawGlyph(Face::Text, glyph, x, baseline);
    return;
  }
  // Strokes between top and bottom; `inner` is the side facing the content.
  const Fixed top = baseline - delimiterAscent(ctx, ascent, descent);
  const Fixed bottom = baseline + delimiterDescent(ctx, ascent, descent);
  const Fixed inset = width / 6;
  const Fixed outer = opening ? x + inset : x + width - inset;
  const Fixed inner = opening ? x + width - inset : x + inset;
  const Fixed middle = (top + bottom) / 2;
  const Fixed line = stroke(ctx);
  switch (shape) {
  case DelimiterShape::Parenthesis: {
    constexpr std::size_t kPoints = 25;
    std::array<Point, kPoints> points{};
    for (std::size_t i = 0; i < kPoints; ++i) {
      const double t = static_cast<double>(i) / (kPoints - 1);
      const double bulge = std::sin(std::numbers::pi * t);
      points[i] = {static_cast<Fixed>(inner + (outer - inner) * bulge),
                   static_cast<Fixed>(top + (bottom - top) * t)};
    }
    drawSwelling(ctx, points, ctx.hairline(), ctx.rule() * 6 / 5);
    return;
  }
  case DelimiterShape::Bracket:
  case DelimiterShape::Floor:
  case DelimiterShape::Ceiling:
    ctx.drawLine(outer, top, outer, bottom, line);
    if (shape != DelimiterShape::Floor) ctx.drawLine(outer - line / 2, top, inner, top, line);
    if (shape != DelimiterShape::Ceiling) ctx.drawLine(outer - line / 2, bottom, inner, bottom, line);
    return;
  case DelimiterShape::Brace:
    drawBrace(ctx, bottom - top, inner - outer, [&](Fixed u, Fixed v) { return Point{outer + v, top + u}; });
    return;
  case DelimiterShape::Bar:
    ctx.drawLine(x + width / 2, top, x + width / 2, bottom, line);
    return;
  case DelimiterShape::DoubleBar:
    ctx.drawLine(x + width / 3, top, x + width / 3, bottom, line);
    ctx.drawLine(x + width * 2 / 3, top, x + width * 2 / 3, bottom, line);
    return;
  case DelimiterShape::Angle:
    ctx.drawLine(inner, top, outer, middle, line);
    ctx.drawLine(outer, middle, inner, bottom, line);
    return;
  }
}

void layoutParenthesis(LayoutContext& ctx, MathObject& node) {
  constexpr auto paren = DelimiterShape::Parenthesis;
  switch (node.kind) {
  case ObjectKind::choice:
    layoutChoice(ctx, node);
    return;
  case ObjectKind::lparen:
    layoutEnclosed(ctx, node, {paren, paren, true, false});
    return;
  case ObjectKind::rparen:
    layoutEnclosed(ctx, node, {paren, paren, false, true});
    return;
  default:
    layoutEnclosed(ctx, node, {paren, paren});
    return;
  }
}

void layoutAbsoluteValue(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Bar, DelimiterShape::Bar});
}

void layoutNorm(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::DoubleBar, DelimiterShape::DoubleBar});
}

void layoutAngleBrackets(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Angle, DelimiterShape::Angle});
}

void layoutBra(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Angle, DelimiterShape::Bar});
}

void layoutKet(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Bar, DelimiterShape::Angle});
}

void layoutBraKet(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Angle, DelimiterShape::Angle, true, true, Middle::Bar});
}

void layoutBracketPair(LayoutContext& ctx, MathObject& node) {
  // [a, b] for a commutator, {a, b} for an anticommutator, ⟨a, b⟩ for an inner product.
  const DelimiterShape shape = node.kind == ObjectKind::acmut    ? DelimiterShape::Brace
                               : node.kind == ObjectKind::inprod ? DelimiterShape::Angle
                                                                 : DelimiterShape::Bracket;
  layoutEnclosed(ctx, node, {shape, shape, true, true, Middle::Comma});
}

void layoutFloor(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Floor, DelimiterShape::Floor});
}

void layoutCeiling(LayoutContext& ctx, MathObject& node) {
  layoutEnclosed(ctx, node, {DelimiterShape::Ceiling, DelimiterShape::Ceiling});
}

void layoutOverline(LayoutContext& ctx, MathObject& node) { layoutMarked(ctx, node, Mark::Overline); }

void layoutBraceAbove(LayoutContext& ctx, MathObject& node) { layoutMarked(ctx, node, Mark::BraceAbove); }

void layoutBraceBelow(LayoutContext& ctx, MathObject& node) { layoutMarked(ctx, node, Mark::BraceBelow); }

} // namespace vexmar
