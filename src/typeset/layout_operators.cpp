// Operators set in a row with their operands: infix operators and lists, signs, function names,
// prefix and postfix symbols.
#include "typeset/layout_routines.h"

#include <algorithm>
#include <string_view>

namespace vexmar {
namespace {

constexpr std::uint8_t kDagger = 0xA0;      // text face (Mac Roman †)
constexpr std::uint8_t kAsterisk = '*';     // text face
constexpr std::uint8_t kInlineSlash = 0xA4; // Symbol face fraction slash, for overflowing fractions
constexpr std::uint8_t kCaret = '^';        // text face, for overflowing powers

// What stands between two operands of an infix object.
struct Separator {
  KindGlyph glyph;
  int glyphCount = 0;
  Fixed before = 0;
  Fixed after = 0;
};

bool isSign(const MathObject* o) {
  return o && (o->kind == ObjectKind::minus || o->kind == ObjectKind::pm || o->kind == ObjectKind::mp);
}

bool isNumber(const MathObject* o) { return o && o->kind == ObjectKind::num; }

// A factor that needs a × before it when a number stands on its left.
bool readsAsNumber(const MathObject* o) {
  if (!o) return false;
  if (o->kind == ObjectKind::num || o->kind == ObjectKind::minus) return true;
  return o->kind == ObjectKind::power && isNumber(o->firstChild());
}

bool timesShowsGlyph(const MathObject& left, const MathObject& right) {
  if (left.kind == ObjectKind::prompt || right.kind == ObjectKind::prompt) return false;
  // A prefix factor before another reaches across it: √x × y, not √xy.
  if (left.shape() == KindShape::Prefix) return true;
  return isNumber(&left) && readsAsNumber(&right);
}

bool equalAtTopLevel(const MathObject& node) {
  return !node.parent || node.parent->kind == ObjectKind::list || node.parent->kind == ObjectKind::atop;
}

// The separator between child i - 1 and child i.
Separator separatorBefore(const LayoutContext& ctx, const MathObject& node, int i) {
  const Fixed operatorGap = ctx.units(Spacing::kOperatorGap);
  if (node.overflow && node.kind == ObjectKind::over)
    return {{kInlineSlash, Face::Symbol}, 1, operatorGap, operatorGap};
  if (node.overflow && node.kind == ObjectKind::power)
    return {{kCaret, Face::Text}, 1, operatorGap, operatorGap};
  const KindGlyph glyph = kindGlyph(node.kind);
  const MathObject& left = *node.child(i - 1);
  const MathObject& right = *node.child(i);
  switch (node.kind) {
  case ObjectKind::list:
    return {{}, 0, ctx.units(Spacing::kListGap), 0};
  case ObjectKind::times: {
    const Fixed gap = ctx.timesGap();
    if (timesShowsGlyph(left, right)) return {{kMultiplicationGlyph, Face::Symbol}, 1, gap, gap};
    return {{}, 0, gap, 0};
  }
  case ObjectKind::plus:
    // The sign of a negative term stands in for the plus.
    if (isSign(&right)) return {};
    return {glyph, 1, operatorGap, operatorGap};
  case ObjectKind::equal: {
    const Fixed gap = ctx.units(equalAtTopLevel(node) ? Spacing::kEqualGap : Spacing::kInnerEqualGap);
    return {glyph, 1, gap, gap};
  }
  case ObjectKind::comma:
    return {glyph, 1, 0, operatorGap};
  case ObjectKind::parallel:
    return {glyph, 2, 2 * operatorGap, 2 * operatorGap};
  default:
    return {glyph, glyph.code ? 1 : 0, operatorGap, operatorGap};
  }
}

Fixed separatorWidth(const LayoutContext& ctx, const Separator& s) {
  const Fixed glyphs = s.glyphCount ? ctx.glyphWidth(s.glyph.face, s.glyph.code) * s.glyphCount : 0;
  return s.before + glyphs + s.after;
}

// A list aligned by its top or bottom edges is centred on the math axis as a whole.
void alignListItems(MathObject& node) {
  Fixed tallest = 0;
  for (const ObjectPtr& c : node.children) tallest = std::max(tallest, heightOf(*c));
  for (const ObjectPtr& c : node.children) c->relY = node.verticalAlignment == 1 ? heightOf(*c) - tallest : 0;
  node.ascent = tallest / 2;
  node.descent = tallest - tallest / 2;
  node.textBox = 0;
}

// The glyph of a sign, or of a prefix symbol, is drawn at `x`; `mp` has no glyph of its own in
// the Symbol face and is drawn as strokes.
void drawMinusPlus(const LayoutContext& ctx, Fixed x, Fixed baseline) {
  const Fixed width = ctx.glyphWidth(Face::Symbol, 0xB1);
  // ± turned upside down: the bar on top, the plus below it reaching down to the baseline.
  const Fixed stroke = std::max(ctx.hairline(), ctx.units(45));
  const Fixed arm = std::min(width * 2 / 5, ctx.units(170));
  const Fixed centreX = x + width / 2;
  const Fixed barY = baseline - ctx.units(450), plusY = baseline - ctx.units(190);
  ctx.drawLine(centreX - arm, barY, centreX + arm, barY, stroke);
  ctx.drawLine(centreX - arm, plusY, centreX + arm, plusY, stroke);
  ctx.drawLine(centreX, plusY - arm, centreX, plusY + arm, stroke);
}

// A small mark raised after its operand (†, *), like an exponent at the same size.
void layoutRaisedMark(LayoutContext& ctx, MathObject& node, std::uint8_t mark) {
  const Fixed raise = ctx.units(300);
  MathObject* operand = optionalChild(node, 0);
  const Fixed operandWidth = operand ? operand->width : 0;
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent + raise, 0);
    if (operand) placeInRow(ctx, placer, node, 0, 0, 0, 0);
    placer.finish(node);
    node.width = operandWidth + ctx.glyphWidth(Face::Text, mark);
    node.textBox = 1;
    return;
  }
  ctx.drawGlyph(Face::Text, mark, node.left + operandWidth, baselineOf(node) - raise);
}

// A derivative operator reads d/dx f: only an operand that is itself an operation needs the
// parentheses every other function application shows.
bool encloseArgument(const MathObject& function, const MathObject& argument) {
  if (function.kind != ObjectKind::optotal && function.kind != ObjectKind::oppartial) return true;
  return argument.shape() == KindShape::Infix || isSign(&argument);
}

} // namespace

void layoutInfix(LayoutContext& ctx, MathObject& node) {
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, 0);
    Fixed x = 0;
    for (int i = 0; i < node.childCount(); ++i) {
      if (i > 0) x = saturatedAdd(x, separatorWidth(ctx, separatorBefore(ctx, node, i)));
      MathObject& c = *node.child(i);
      placer.put(c, x, ctx.alignedBaseline(c));
      x = saturatedAdd(x, c.width);
    }
    placer.finish(node);
    node.width = x;
    node.textBox = 1;
    if (node.kind == ObjectKind::list && node.verticalAlignment != 0) alignListItems(node);
    return;
  }
  const Fixed baseline = baselineOf(node);
  for (int i = 1; i < node.childCount(); ++i) {
    const Separator s = separatorBefore(ctx, node, i);
    if (s.glyphCount == 0) continue;
    const MathObject& left = *node.child(i - 1);
    Fixed x = node.left + left.relX + left.width + s.before;
    for (int g = 0; g < s.glyphCount; ++g) {
      ctx.drawGlyph(s.glyph.face, s.glyph.code, x, baseline);
      x += ctx.glyphWidth(s.glyph.face, s.glyph.code);
    }
  }
}

void layoutAtop(LayoutContext& ctx, MathObject& node) {
  if (!ctx.measuring()) return;
  const Fixed gap = ctx.units(Spacing::kMatrixRowGap);
  Fixed width = 0, height = 0;
  for (const ObjectPtr& c : node.children) {
    width = std::max(width, c->width);
    height = saturatedAdd(height, heightOf(*c));
  }
  if (node.childCount() > 1) height = saturatedAdd(height, gap * (node.childCount() - 1));
  Fixed top = 0;
  for (const ObjectPtr& c : node.children) {
    top = saturatedAdd(top, heightOf(*c));
    c->relX = (width - c->width) / 2;
    c->relY = top - height;
    top = saturatedAdd(top, gap);
  }
  node.width = width;
  node.ascent = height / 2;
  node.descent = height - height / 2;
  node.textBox = 0;
}

void layoutSign(LayoutContext& ctx, MathObject& node) {
  const KindGlyph glyph = kindGlyph(node.kind);
  // A negative term of a sum takes the place of the plus, so it is spaced like one.
  const bool binary = node.parent && node.parent->kind == ObjectKind::plus && node.indexInParent > 0;
  const Fixed gap = binary ? ctx.units(Spacing::kOperatorGap) : 0;
  const Fixed operandX = gap + ctx.glyphWidth(glyph.face, glyph.code) + gap;
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, 0);
    node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, operandX, 0);
    placer.finish(node);
    node.textBox = 1;
    return;
  }
  if (node.kind == ObjectKind::mp)
    drawMinusPlus(ctx, node.left + gap, baselineOf(node));
  else
    ctx.drawGlyph(glyph.face, glyph.code, node.left + gap, baselineOf(node));
}

void layoutFunctionName(LayoutContext& ctx, MathObject& node) {
  const std::string_view name = kindName(node.kind);
  const Fixed g = ctx.timesGap();
  if (ctx.measuring()) {
    const Fixed operandX = 2 * g + ctx.textWidth(Face::Text, name) + ctx.units(Spacing::kFunctionGap);
    ChildPlacer placer(ctx.metrics().ascent, node.kind == ObjectKind::sgn ? ctx.metrics().descent : 0);
    node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, operandX, 0);
    placer.finish(node);
    node.textBox = 1;
    return;
  }
  ctx.drawText(Face::Text, node.left + 2 * g, baselineOf(node), name);
}

void layoutPrefixSymbol(LayoutContext& ctx, MathObject& node) {
  const KindGlyph glyph = kindGlyph(node.kind);
  const bool nabla = node.kind == ObjectKind::diver || node.kind == ObjectKind::curl;
  const Fixed nablaWidth = nabla ? ctx.glyphWidth(Face::Symbol, kNablaGlyph) : 0;
  const Fixed glyphWidth = ctx.glyphWidth(glyph.face, glyph.code);
  if (ctx.measuring()) {
    const Fixed operandX = nablaWidth + glyphWidth + (node.kind == ObjectKind::uequal ? ctx.units(500) : 0);
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, operandX, 0);
    placer.finish(node);
    node.textBox = 1;
    return;
  }
  if (nabla) ctx.drawGlyph(Face::Symbol, kNablaGlyph, node.left, baselineOf(node));
  ctx.drawGlyph(glyph.face, glyph.code, node.left + nablaWidth, baselineOf(node));
}

void layoutPostfixSymbol(LayoutContext& ctx, MathObject& node) {
  const KindGlyph glyph = kindGlyph(node.kind);
  MathObject* operand = optionalChild(node, 0);
  const Fixed operandWidth = operand ? operand->width : 0;
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, 0);
    if (operand) placeInRow(ctx, placer, node, 0, 0, 0, 0);
    placer.finish(node);
    node.width = operandWidth + ctx.glyphWidth(glyph.face, glyph.code);
    node.textBox = 1;
    return;
  }
  ctx.drawGlyph(glyph.face, glyph.code, node.left + operandWidth, baselineOf(node));
}

void layoutDagger(LayoutContext& ctx, MathObject& node) { layoutRaisedMark(ctx, node, kDagger); }

void layoutAsterisk(LayoutContext& ctx, MathObject& node) { layoutRaisedMark(ctx, node, kAsterisk); }

void layoutFunctionApplication(LayoutContext& ctx, MathObject& node) {
  MathObject* function = optionalChild(node, 0);
  MathObject* argument = optionalChild(node, 1);
  if (!function || !argument) {
    if (ctx.measuring()) {
      ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
      node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, 0, 0);
      placer.finish(node);
      node.textBox = 1;
    }
    return;
  }
  const Fixed ascent = std::max(ctx.effectiveAscent(*argument), ctx.metrics().ascent);
  const Fixed descent = std::max(ctx.effectiveDescent(*argument), ctx.metrics().descent);
  const bool enclosed = encloseArgument(*function, *argument);
  const Fixed parenthesis = enclosed ? delimiterWidth(ctx, DelimiterShape::Parenthesis, ascent, descent) : 0;
  const Fixed inside = enclosed ? ctx.units(40) : ctx.units(Spacing::kFunctionGap);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    placer.put(*function, 0, ctx.alignedBaseline(*function));
    const Fixed argumentX = function->width + parenthesis + inside;
    placer.put(*argument, argumentX, ctx.alignedBaseline(*argument));
    if (enclosed)
      placer.extend(delimiterAscent(ctx, ascent, descent), delimiterDescent(ctx, ascent, descent));
    placer.finish(node);
    node.width = argumentX + argument->width + (enclosed ? inside + parenthesis : 0);
    node.textBox = 1;
    return;
  }
  if (!enclosed) return;
  const Fixed baseline = baselineOf(node);
  const Fixed x = node.left + function->width;
  drawDelimiter(ctx, DelimiterShape::Parenthesis, true, x, baseline, ascent, descent);
  drawDelimiter(ctx, DelimiterShape::Parenthesis, false, x + parenthesis + 2 * inside + argument->width,
                baseline, ascent, descent);
}

void layoutLaplacian(LayoutContext& ctx, MathObject& node) {
  const Fixed nablaWidth = ctx.glyphWidth(Face::Symbol, kNablaGlyph);
  const Fixed scriptSize = ctx.levelSize(node.sizeLevel + 1);
  const FontFace& script = ctx.font(Face::Text, scriptSize);
  const Fixed raise = ctx.units(380);
  if (ctx.measuring()) {
    const Fixed operandX = nablaWidth + script.characterWidth('2') + ctx.units(Spacing::kFunctionGap);
    ChildPlacer placer(std::max(ctx.metrics().ascent, raise + script.ascent()), ctx.metrics().descent);
    node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, operandX, 0);
    placer.finish(node);
    node.textBox = 1;
    return;
  }
  ctx.drawGlyph(Face::Symbol, kNablaGlyph, node.left, baselineOf(node));
  ctx.drawText(script, node.left + nablaWidth, baselineOf(node) - raise, "2");
}

void layoutBox(LayoutContext& ctx, MathObject& node) {
  // The d'Alembertian: a square on the baseline, with a dot inside (`boxdot`) or squared (`box2`).
  const Fixed side = ctx.units(560), margin = ctx.units(60);
  const bool squared = node.kind == ObjectKind::box2;
  const Fixed scriptSize = ctx.levelSize(node.sizeLevel + 1);
  const FontFace& script = ctx.font(Face::Text, scriptSize);
  const Fixed squareWidth = squared ? script.characterWidth('2') : 0;
  const Fixed raise = ctx.units(380);
  if (ctx.measuring()) {
    const Fixed operandX = margin + side + squareWidth + ctx.units(Spacing::kFunctionGap);
    ChildPlacer placer(std::max(ctx.metrics().ascent, squared ? raise + script.ascent() : 0),
                       ctx.metrics().descent);
    node.width = placeInRow(ctx, placer, node, 0, node.childCount() - 1, operandX, 0);
    placer.finish(node);
    node.textBox = 1;
    return;
  }
  const Fixed x0 = node.left + margin, y1 = baselineOf(node), x1 = x0 + side, y0 = y1 - side;
  const Fixed t = ctx.hairline();
  ctx.drawLine(x0, y0, x1, y0, t);
  ctx.drawLine(x1, y0, x1, y1, t);
  ctx.drawLine(x1, y1, x0, y1, t);
  ctx.drawLine(x0, y1, x0, y0, t);
  if (node.kind == ObjectKind::boxdot) {
    const Fixed cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, dot = std::max(t * 2, ctx.units(90));
    ctx.drawLine(cx - dot / 2, cy, cx + dot / 2, cy, dot);
  }
  if (squared) ctx.drawText(script, x1, y1 - raise, "2");
}

} // namespace vexmar
