// Constructions that stack or shift their operands: fractions, powers and scientific notation,
// roots, big operators with limits, limits, logarithms, derivative operators, substitutions and
// the index containers.
#include "typeset/layout_routines.h"
#include "typeset/typesetter.h"

#include <algorithm>
#include <string_view>

namespace vexmar {
namespace {

constexpr std::uint8_t kSlash = '/'; // text face
constexpr std::string_view kTen = "10";
constexpr int kIndexGap = 120;        // between the indices of one group
constexpr int kScriptClearance = 100; // least room between an upper and a lower index

// A fraction set as a/b in a row: leaves in an exponent read better than a stacked fraction.
bool usesSlashForm(const MathObject& node) {
  if (node.childCount() != 2 || node.style[1] != 0) return false;
  if (node.child(0)->childCount() != 0 || node.child(1)->childCount() != 0) return false;
  const MathObject* self = &node;
  if (self->parent && self->parent->kind == ObjectKind::minus) self = self->parent;
  return self->parent && self->parent->kind == ObjectKind::power && self->indexInParent == 1;
}

// Places children first..last in a row starting at x with their baselines at `baselineOffset`;
// returns the width of the row.
Fixed placeGroup(ChildPlacer& placer, MathObject& node, int first, int last, Fixed x, Fixed gap,
                 Fixed baselineOffset) {
  const Fixed start = x;
  for (int i = first; i <= last; ++i) {
    MathObject& c = *node.child(i);
    placer.put(c, x, baselineOffset);
    x = saturatedAdd(x, c.width + (i < last ? gap : 0));
  }
  return x - start;
}

struct GroupExtent {
  Fixed ascent = 0, descent = 0, width = 0;
};

GroupExtent groupExtent(const MathObject& node, int first, int last, Fixed gap) {
  GroupExtent e;
  for (int i = first; i <= last; ++i) {
    const MathObject& c = *node.child(i);
    e.ascent = std::max(e.ascent, c.ascent);
    e.descent = std::max(e.descent, c.descent);
    e.width = saturatedAdd(e.width, c.width + (i < last ? gap : 0));
  }
  return e;
}

// Baseline offsets of an upper and a lower group of scripts beside a base reaching `baseAscent`
// above and `baseDescent` below the baseline, kept clear of each other.
struct ScriptOffsets {
  Fixed upper, lower;
};

ScriptOffsets scriptOffsets(const LayoutContext& ctx, Fixed baseAscent, Fixed baseDescent,
                            const GroupExtent& upper, const GroupExtent& lower) {
  const Fixed raise = exponentOverlap(ctx, baseAscent, upper.ascent + upper.descent);
  const Fixed drop = indexOverlap(ctx, baseAscent + baseDescent, lower.ascent + lower.descent);
  ScriptOffsets o{-baseAscent + raise - upper.descent, baseDescent - drop + lower.ascent};
  const Fixed clearance = ctx.units(kScriptClearance);
  const Fixed upperBottom = o.upper + upper.descent, lowerTop = o.lower - lower.ascent;
  if (upper.width > 0 && lower.width > 0 && lowerTop - upperBottom < clearance)
    o.lower += clearance - (lowerTop - upperBottom);
  return o;
}

// A name or glyph followed by an optional lower script (child 1) and upper script (child 2), then
// the argument (child 0): log_b x, ∇_x f.
void layoutScriptedPrefix(LayoutContext& ctx, MathObject& node, Fixed headX, Fixed headWidth,
                          Fixed argumentGap) {
  MathObject* lower = optionalChild(node, 1);
  MathObject* upper = optionalChild(node, 2);
  const Fixed scriptsX = headX + headWidth;
  GroupExtent lowerExtent, upperExtent;
  if (lower) lowerExtent = groupExtent(node, 1, 1, 0);
  if (upper) upperExtent = groupExtent(node, 2, 2, 0);
  const ScriptOffsets offsets =
      scriptOffsets(ctx, ctx.metrics().ascent, ctx.metrics().descent, upperExtent, lowerExtent);
  ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
  if (lower) placer.put(*lower, scriptsX, offsets.lower);
  if (upper) placer.put(*upper, scriptsX, offsets.upper);
  Fixed x = scriptsX + std::max(lowerExtent.width, upperExtent.width) + argumentGap;
  x = placeInRow(ctx, placer, node, 0, 0, x, 0);
  x = placeInRow(ctx, placer, node, 3, node.childCount() - 1, x, 0);
  placer.finish(node);
  node.width = x;
  node.textBox = 1;
}

} // namespace

void layoutFraction(LayoutContext& ctx, MathObject& node) {
  if (node.overflow || node.childCount() != 2) {
    layoutInfix(ctx, node);
    return;
  }
  MathObject& numerator = *node.child(0);
  MathObject& denominator = *node.child(1);
  if (usesSlashForm(node)) {
    const Fixed gap = ctx.units(Spacing::kSlashGap);
    if (ctx.measuring()) {
      ChildPlacer placer(ctx.metrics().ascent, 0);
      placer.put(numerator, 0, ctx.alignedBaseline(numerator));
      const Fixed denominatorX = numerator.width + gap + ctx.glyphWidth(Face::Text, kSlash) + gap;
      placer.put(denominator, denominatorX, ctx.alignedBaseline(denominator));
      placer.finish(node);
      node.width = denominatorX + denominator.width;
      node.textBox = 1;
      return;
    }
    ctx.drawGlyph(Face::Text, kSlash, node.left + numerator.width + gap, baselineOf(node));
    return;
  }
  const Fixed indent = ctx.units(Spacing::kFractionIndent);
  const Fixed width = std::max(numerator.width, denominator.width);
  if (ctx.measuring()) {
    // The fraction's baseline is its rule; not being a text box puts the rule on the math axis.
    const Fixed gap = ctx.units(Spacing::kFractionGap) + ctx.hairline() / 2;
    ChildPlacer placer(0, 0);
    placer.put(numerator, indent + (width - numerator.width) / 2, -gap - numerator.descent);
    placer.put(denominator, indent + (width - denominator.width) / 2, gap + denominator.ascent);
    placer.finish(node);
    node.width = width + 2 * indent;
    node.textBox = 0;
    return;
  }
  // A hairline rule: the gaps above and below it allow half a hairline each.
  const Fixed y = baselineOf(node);
  ctx.drawLine(node.left + indent, y, node.left + indent + width, y, ctx.hairline());
}

void layoutPower(LayoutContext& ctx, MathObject& node) {
  if (node.overflow || node.childCount() != 2) {
    layoutInfix(ctx, node);
    return;
  }
  if (!ctx.measuring()) return;
  MathObject& base = *node.child(0);
  MathObject& exponent = *node.child(1);
  ChildPlacer placer(0, 0);
  placer.put(base, 0, 0);
  const bool functionBase =
      (isFunctionLike(base.kind) || base.kind == ObjectKind::log) && base.childCount() == 1;
  if (functionBase) {
    // sin² x: the exponent goes right after the name and pushes the argument along.
    MathObject& argument = *base.child(0);
    const Fixed x = base.width - argument.width - ctx.units(Spacing::kFunctionGap);
    placer.put(exponent, x, -ctx.metrics().ascent / 4 - exponent.descent);
    argument.relX = clampLength(static_cast<std::int64_t>(argument.relX) + exponent.width);
    base.width = clampLength(static_cast<std::int64_t>(base.width) + exponent.width);
    placer.finish(node);
    node.width = base.width;
    node.textBox = base.textBox;
    return;
  }
  const Fixed raise = exponentOverlap(ctx, base.ascent, heightOf(exponent));
  Fixed x = base.width;
  Fixed width = base.width + exponent.width;
  // x_i^2: over a base with a single lower index the exponent stands above the index instead of
  // after it.
  if (base.kind == ObjectKind::indexes && base.childCount() == 2 && base.lowerIndexCount() == 1 &&
      base.upperIndexCount() == 0) {
    const Fixed index = base.lastChild()->width;
    x = base.width - index;
    width = x + std::max(exponent.width, index);
  }
  placer.put(exponent, x, -base.ascent + raise - exponent.descent);
  placer.finish(node);
  node.width = width;
  node.textBox = base.textBox;
}

void layoutSubscript(LayoutContext& ctx, MathObject& node) {
  // Scientific notation: mantissa × 10 raised to the exponent.
  MathObject* mantissa = optionalChild(node, 0);
  MathObject* exponent = optionalChild(node, 1);
  const Fixed gap = ctx.timesGap();
  const Fixed mantissaWidth = mantissa ? mantissa->width : 0;
  const Fixed timesX = mantissaWidth + gap;
  const Fixed tenX = timesX + ctx.glyphWidth(Face::Symbol, kMultiplicationGlyph) + gap;
  const Fixed exponentX = tenX + ctx.textWidth(Face::Text, kTen);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    if (mantissa) placer.put(*mantissa, 0, ctx.alignedBaseline(*mantissa));
    Fixed width = exponentX;
    if (exponent) {
      const Fixed raise = exponentOverlap(ctx, ctx.metrics().ascent, heightOf(*exponent));
      placer.put(*exponent, exponentX, -ctx.metrics().ascent + raise - exponent->descent);
      width += exponent->width;
    }
    for (int i = 2; i < node.childCount(); ++i) placer.put(*node.child(i), width, 0);
    placer.finish(node);
    node.width = width;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  ctx.drawGlyph(Face::Symbol, kMultiplicationGlyph, node.left + timesX, baseline);
  ctx.drawText(Face::Text, node.left + tenX, baseline, kTen);
}

void layoutRadical(LayoutContext& ctx, MathObject& node) {
  MathObject* radicand = optionalChild(node, 0);
  MathObject* index = optionalChild(node, 1);
  const Fixed rule = ctx.rule();
  const Fixed ascent =
      radicand ? std::max(ctx.effectiveAscent(*radicand), ctx.units(600)) : ctx.metrics().ascent;
  const Fixed descent = radicand ? ctx.effectiveDescent(*radicand) : ctx.metrics().descent;
  const Fixed overlap = ctx.units(Spacing::kRadicalIndexOverlap);
  const Fixed indexRoom = index ? std::max<Fixed>(0, index->width - overlap) : 0;
  const Fixed signWidth = ctx.units(Spacing::kRadicalSign);
  const Fixed radicandX = indexRoom + signWidth + rule;
  const Fixed radicandWidth = radicand ? radicand->width : ctx.units(300);
  if (ctx.measuring()) {
    ChildPlacer placer(ascent + ctx.hairline() + 2 * rule, descent);
    if (radicand) placer.put(*radicand, radicandX, ctx.alignedBaseline(*radicand));
    if (index) {
      // The index sits in the crook of the sign, overlapping it.
      const Fixed raise = rule + (ascent + descent) / 4;
      placer.put(*index, index->width > overlap ? 0 : overlap - index->width, -raise - index->descent);
    }
    const Fixed x =
        placeInRow(ctx, placer, node, 2, node.childCount() - 1, radicandX + radicandWidth + ctx.units(40), 0);
    placer.finish(node);
    node.width = x;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  const Fixed x = node.left + indexRoom;
  const Fixed barY = baseline - ascent - ctx.hairline() - rule / 2;
  const Fixed bottom = baseline + descent;
  const Fixed height = bottom - barY;
  const Fixed thin = ctx.hairline();
  const Fixed tickX = x + signWidth / 5, valleyX = x + signWidth * 9 / 20, topX = x + signWidth + rule / 2;
  const Fixed tickY = bottom - static_cast<Fixed>(static_cast<std::int64_t>(height) * 9 / 20);
  ctx.drawLine(x, tickY + thin, tickX, tickY, thin);
  ctx.drawLine(tickX, tickY, valleyX, bottom, rule);
  ctx.drawLine(valleyX, bottom, topX, barY, thin);
  ctx.drawLine(topX, barY, node.left + radicandX + radicandWidth + ctx.units(40), barY, thin);
}

void layoutBigOperator(LayoutContext& ctx, MathObject& node) {
  const KindGlyph glyph = kindGlyph(node.kind);
  const Fixed bigSize = ctx.levelSize(0);
  const FontFace& big = ctx.font(glyph.face, bigSize);
  const Fixed glyphWidth = big.characterWidth(glyph.code);
  const FontMetrics bigMetrics = ctx.typesetter().metrics(bigSize, glyph.face, true);
  const Fixed axis = ctx.axis();
  // The glyph's box is centred on the math axis.
  const Fixed glyphBaseline = -axis + (bigMetrics.ascent - bigMetrics.descent) / 2;
  const Fixed glyphTop = glyphBaseline - bigMetrics.ascent, glyphBottom = glyphBaseline + bigMetrics.descent;
  MathObject* lower = optionalChild(node, 1);
  MathObject* upper = optionalChild(node, 2);
  const Fixed lowerWidth = lower ? lower->width : 0, upperWidth = upper ? upper->width : 0;
  const Fixed rule = ctx.rule();

  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    placer.extend(-glyphTop, glyphBottom);
    Fixed glyphX = 0, operandX = 0;
    if (node.style[1] == 0) {
      const Fixed width = std::max({glyphWidth, lowerWidth, upperWidth});
      const Fixed gap = ctx.units(Spacing::kBigOperatorLimitGap);
      glyphX = (width - glyphWidth) / 2;
      if (lower) placer.put(*lower, (width - lowerWidth) / 2, glyphBottom + gap + lower->ascent);
      if (upper) placer.put(*upper, (width - upperWidth) / 2, glyphTop - gap - upper->descent);
      operandX = width + rule;
    } else {
      // Limits at the side: the lower one below the axis, the upper one above it.
      const Fixed limitsX = glyphWidth + rule;
      if (lower) placer.put(*lower, limitsX, std::max(glyphBottom - lower->descent, -axis + lower->ascent));
      if (upper) placer.put(*upper, limitsX, std::min(glyphTop + upper->ascent, -axis - upper->descent));
      operandX = limitsX + std::max(lowerWidth, upperWidth) + ctx.units(Spacing::kLimitGap);
    }
    Fixed x = placeInRow(ctx, placer, node, 0, 0, operandX, 0);
    x = placeInRow(ctx, placer, node, 3, node.childCount() - 1, x, 0);
    placer.finish(node);
    node.payloadA = glyphBaseline;
    node.payloadB = glyphX;
    node.width = x;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  const Fixed glyphLeft = node.left + node.payloadB;
  ctx.drawText(big, glyphLeft, baseline + node.payloadA,
               std::string_view(reinterpret_cast<const char*>(&glyph.code), 1));
  if (node.kind == ObjectKind::oint) {
    const FontFace& small = ctx.font(Face::Text, ctx.levelSize(2) * 2 / 3);
    const Fixed ringWidth = small.characterWidth('o');
    ctx.drawText(small, glyphLeft + (glyphWidth - ringWidth) / 2, baseline - axis + small.ascent() / 4, "o");
  }
}

void layoutLimit(LayoutContext& ctx, MathObject& node) {
  constexpr std::string_view kName = "lim";
  MathObject* expression = optionalChild(node, 0);
  MathObject* approach = optionalChild(node, 1);
  const Fixed nameWidth = ctx.textWidth(Face::Text, kName);
  const Fixed width = std::max(nameWidth, approach ? approach->width : 0);
  if (ctx.measuring()) {
    ChildPlacer placer(ctx.metrics().ascent, ctx.metrics().descent);
    if (approach)
      placer.put(*approach, (width - approach->width) / 2, ctx.units(Spacing::kLimitGap) + approach->ascent);
    // The approach (child 1) is below the name; the others follow it in a row.
    Fixed x =
        placeInRow(ctx, placer, node, 0, 0, width + 2 * ctx.timesGap() + ctx.units(Spacing::kFunctionGap), 0);
    x = placeInRow(ctx, placer, node, 2, node.childCount() - 1, x, 0);
    placer.finish(node);
    node.width = expression ? x : width;
    node.textBox = 1;
    return;
  }
  ctx.drawText(Face::Text, node.left + (width - nameWidth) / 2, baselineOf(node), kName);
}

void layoutLog(LayoutContext& ctx, MathObject& node) {
  constexpr std::string_view kName = "log";
  const Fixed g = ctx.timesGap();
  const Fixed nameWidth = ctx.textWidth(Face::Text, kName);
  if (ctx.measuring()) {
    layoutScriptedPrefix(ctx, node, 2 * g, nameWidth, ctx.units(Spacing::kFunctionGap));
    return;
  }
  ctx.drawText(Face::Text, node.left + 2 * g, baselineOf(node), kName);
}

void layoutGrad(LayoutContext& ctx, MathObject& node) {
  if (ctx.measuring()) {
    layoutScriptedPrefix(ctx, node, 0, ctx.glyphWidth(Face::Symbol, kNablaGlyph), ctx.units(40));
    return;
  }
  ctx.drawGlyph(Face::Symbol, kNablaGlyph, node.left, baselineOf(node));
}

void layoutDerivativeOperator(LayoutContext& ctx, MathObject& node) {
  // d/dx (or ∂/∂x) set as a fraction: the glyph over the glyph and the variable (child 0), the rule
  // on the math axis; an order (child 1) is raised after the upper glyph and, when it is a number,
  // repeated after the variable: d²/dx². The operand follows in the `function` around it.
  const KindGlyph glyph = kindGlyph(node.kind);
  const char code = static_cast<char>(glyph.code);
  const std::string_view glyphText(&code, 1);
  const Fixed glyphWidth = ctx.glyphWidth(glyph.face, glyph.code);
  MathObject* variable = optionalChild(node, 0);
  MathObject* order = optionalChild(node, 1);
  const FontFace& script = ctx.font(Face::Text, ctx.levelSize(node.sizeLevel + 1));
  const std::string_view repeatedOrder = order && order->kind == ObjectKind::num && order->number
                                             ? order->number->displayText()
                                             : std::string_view();
  const Fixed repeatedWidth = script.textWidth(repeatedOrder);
  const Fixed numeratorWidth = glyphWidth + (order ? order->width : 0);
  const Fixed variableWidth = variable ? variable->width : 0;
  const Fixed denominatorWidth = glyphWidth + variableWidth + repeatedWidth;
  const Fixed width = std::max(numeratorWidth, denominatorWidth);
  const Fixed indent = ctx.units(Spacing::kFractionIndent);
  const Fixed gap = ctx.units(Spacing::kFractionGap) + ctx.hairline() / 2;
  const Fixed numeratorX = indent + (width - numeratorWidth) / 2;
  const Fixed denominatorX = indent + (width - denominatorWidth) / 2;
  const FontMetrics& m = ctx.metrics();
  const Fixed numeratorBaseline = -gap - m.descent;
  const Fixed denominatorAscent = std::max(m.ascent, variable ? ctx.effectiveAscent(*variable) : 0);
  const Fixed denominatorBaseline = gap + denominatorAscent;
  const Fixed orderRaise = exponentOverlap(ctx, m.ascent, order ? heightOf(*order) : 0);
  if (ctx.measuring()) {
    // The node's baseline is its rule; not being a text box puts the rule on the math axis.
    ChildPlacer placer(gap + m.descent + m.ascent,
                       denominatorBaseline +
                           std::max(m.descent, variable ? ctx.effectiveDescent(*variable) : 0));
    if (variable)
      placer.put(*variable, denominatorX + glyphWidth, denominatorBaseline + ctx.alignedBaseline(*variable));
    if (order)
      placer.put(*order, numeratorX + glyphWidth, numeratorBaseline - m.ascent + orderRaise - order->descent);
    for (int i = 2; i < node.childCount(); ++i) placer.put(*node.child(i), width + 2 * indent, 0);
    placer.finish(node);
    node.width = width + 2 * indent;
    node.textBox = 0;
    return;
  }
  const Fixed rule = baselineOf(node);
  ctx.drawText(glyph.face, node.left + numeratorX, rule + numeratorBaseline, glyphText);
  ctx.drawText(glyph.face, node.left + denominatorX, rule + denominatorBaseline, glyphText);
  if (!repeatedOrder.empty() && order)
    ctx.drawText(script, node.left + denominatorX + glyphWidth + variableWidth,
                 rule + denominatorBaseline - m.ascent + orderRaise - script.descent(), repeatedOrder);
  ctx.drawLine(node.left + indent, rule, node.left + indent + width, rule, ctx.hairline());
}

void layoutSubstitution(LayoutContext& ctx, MathObject& node) {
  // expression |_(x = a, ...): a bar after the expression with the substitutions below at its foot.
  MathObject* expression = optionalChild(node, 0);
  const Fixed ascent =
      expression ? std::max(ctx.effectiveAscent(*expression), ctx.metrics().ascent) : ctx.metrics().ascent;
  const Fixed descent =
      expression ? std::max(ctx.effectiveDescent(*expression), ctx.metrics().descent) : ctx.metrics().descent;
  const Fixed barX = (expression ? expression->width : 0) + ctx.units(100);
  if (ctx.measuring()) {
    ChildPlacer placer(ascent, descent);
    if (expression) placer.put(*expression, 0, ctx.alignedBaseline(*expression));
    Fixed width = barX + ctx.units(100);
    if (node.childCount() > 1) {
      const Fixed gap = ctx.units(300);
      const GroupExtent group = groupExtent(node, 1, node.childCount() - 1, gap);
      const Fixed drop = indexOverlap(ctx, ascent + descent, group.ascent + group.descent);
      width = saturatedAdd(width, placeGroup(placer, node, 1, node.childCount() - 1, width, gap,
                                             descent - drop + group.ascent));
    }
    placer.finish(node);
    node.width = width;
    node.textBox = 1;
    return;
  }
  const Fixed baseline = baselineOf(node);
  ctx.drawLine(node.left + barX, baseline - ascent, node.left + barX, baseline + descent,
               std::max(ctx.hairline(), ctx.units(60)));
}

void layoutIndexes(LayoutContext& ctx, MathObject& node) {
  if (!ctx.measuring() || node.childCount() == 0) {
    if (ctx.measuring()) layoutInfix(ctx, node);
    return;
  }
  MathObject& base = *node.child(0);
  const int last = node.childCount() - 1;
  const int lowerCount = std::clamp(node.lowerIndexCount(), 0, last);
  const int upperCount = std::clamp(node.upperIndexCount(), 0, last - lowerCount);
  // Children beyond the counts (a malformed object) join the upper group rather than be lost.
  const int upperLast = upperCount > 0 || lowerCount < last ? last : lowerCount;
  const Fixed gap = ctx.units(kIndexGap);
  GroupExtent lower, upper;
  if (lowerCount > 0) lower = groupExtent(node, 1, lowerCount, gap);
  if (upperLast > lowerCount) upper = groupExtent(node, lowerCount + 1, upperLast, gap);
  const ScriptOffsets offsets = scriptOffsets(ctx, base.ascent, base.descent, upper, lower);
  ChildPlacer placer(0, 0);
  placer.put(base, 0, 0);
  if (lowerCount > 0) placeGroup(placer, node, 1, lowerCount, base.width, gap, offsets.lower);
  if (upperLast > lowerCount)
    placeGroup(placer, node, lowerCount + 1, upperLast, base.width, gap, offsets.upper);
  placer.finish(node);
  node.width = base.width + std::max(lower.width, upper.width);
  node.textBox = base.textBox;
}

void layoutTensor(LayoutContext& ctx, MathObject& node) {
  if (!ctx.measuring() || node.childCount() == 0) {
    if (ctx.measuring()) layoutInfix(ctx, node);
    return;
  }
  // Each index keeps its own column; a set bit puts index k (child k) up.
  MathObject& base = *node.child(0);
  auto isUpper = [&](int k) { return k - 1 < 31 && ((node.payloadA >> (k - 1)) & 1) != 0; };
  GroupExtent lower, upper;
  for (int k = 1; k < node.childCount(); ++k) {
    GroupExtent& group = isUpper(k) ? upper : lower;
    group.ascent = std::max(group.ascent, node.child(k)->ascent);
    group.descent = std::max(group.descent, node.child(k)->descent);
    group.width = 1;
  }
  const ScriptOffsets offsets = scriptOffsets(ctx, base.ascent, base.descent, upper, lower);
  ChildPlacer placer(0, 0);
  placer.put(base, 0, 0);
  Fixed x = base.width;
  for (int k = 1; k < node.childCount(); ++k) {
    MathObject& index = *node.child(k);
    placer.put(index, x, isUpper(k) ? offsets.upper : offsets.lower);
    x = saturatedAdd(x, index.width);
  }
  placer.finish(node);
  node.width = x;
  node.textBox = base.textBox;
}

void layoutChem(LayoutContext& ctx, MathObject& node) {
  if (!ctx.measuring() || node.childCount() == 0) {
    if (ctx.measuring()) layoutInfix(ctx, node);
    return;
  }
  // Slots after the base, in child order: left lower, left upper, right lower, right upper.
  MathObject* slots[4] = {};
  int child = 1;
  for (std::size_t s = 0; s < kChemSlotBits.size() && child < node.childCount(); ++s)
    if (node.payloadA & (1 << kChemSlotBits[s])) slots[s] = node.child(child++);
  MathObject& base = *node.child(0);
  auto extentOf = [](const MathObject* a, const MathObject* b) {
    GroupExtent e;
    for (const MathObject* m : {a, b}) {
      if (!m) continue;
      e.ascent = std::max(e.ascent, m->ascent);
      e.descent = std::max(e.descent, m->descent);
    }
    return e;
  };
  GroupExtent lower = extentOf(slots[0], slots[2]), upper = extentOf(slots[1], slots[3]);
  lower.width = (slots[0] || slots[2]) ? 1 : 0;
  upper.width = (slots[1] || slots[3]) ? 1 : 0;
  const ScriptOffsets offsets = scriptOffsets(ctx, base.ascent, base.descent, upper, lower);
  auto widthOf = [](const MathObject* m) { return m ? m->width : 0; };
  const Fixed leftWidth = std::max(widthOf(slots[0]), widthOf(slots[1]));
  ChildPlacer placer(0, 0);
  placer.put(base, leftWidth, 0);
  // Left indices are set flush against the base.
  if (slots[0]) placer.put(*slots[0], leftWidth - slots[0]->width, offsets.lower);
  if (slots[1]) placer.put(*slots[1], leftWidth - slots[1]->width, offsets.upper);
  const Fixed rightX = leftWidth + base.width;
  if (slots[2]) placer.put(*slots[2], rightX, offsets.lower);
  if (slots[3]) placer.put(*slots[3], rightX, offsets.upper);
  Fixed x = rightX + std::max(widthOf(slots[2]), widthOf(slots[3]));
  for (; child < node.childCount(); ++child) {
    placer.put(*node.child(child), x, 0);
    x = saturatedAdd(x, node.child(child)->width);
  }
  placer.finish(node);
  node.width = x;
  node.textBox = base.textBox;
}

} // namespace vexmar
