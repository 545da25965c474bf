#include "typeset/typesetter.h"

#include "typeset/caret_geometry.h"
#include "typeset/layout_routines.h"
#include "typeset/layout_steps.h"
#include "typeset/typesetting_state.h"

#include <algorithm>
#include <cmath>

namespace vexmar {

struct Typesetter::FontSlot {
  Face face;
  Fixed size;
  std::unique_ptr<FontFace> font;
};

struct Typesetter::MetricsSlot {
  Fixed size;
  Face face;
  bool alone;
  FontMetrics metrics;
};

namespace {

constexpr std::string_view kSymbolFaceName = "Symbol";
constexpr std::string_view kArialFaceName = "Arial";

void clearOverflow(MathObject& root) {
  for (MathObject* n = &root; n; n = nextPreorder(*n, root)) n->overflow = 0;
}

// The next object in pre-order after `node`'s subtree, within `root`; null after the last.
MathObject* nextOutside(const MathObject& node, const MathObject& root) {
  for (const MathObject* n = &node; n != &root && n->parent; n = n->parent) {
    const MathObject& parent = *n->parent;
    for (int i = n->indexInParent + 1; i < parent.childCount(); ++i)
      if (parent.child(i)) return parent.child(i);
  }
  return nullptr;
}

void markOverflowing(MathObject& node) {
  for (MathObject* n = &node; n && !n->overflow; n = n->parent) n->overflow = 1;
}

// Positions every node from its parent's position and its own offsets and adjustments.
void placeTree(MathObject& root) {
  using Wide = std::int64_t;
  root.relY = heightOf(root);
  root.relX = 0;
  root.left = clampLength(Wide{root.padLeft} + root.shiftX + root.relX);
  root.bottom = clampLength(Wide{root.shiftY} - root.padTop + root.relY);
  for (MathObject* n = nextPreorder(root, root); n; n = nextPreorder(*n, root)) {
    const MathObject& p = *n->parent;
    n->left = clampLength(Wide{p.left} + n->padLeft + n->shiftX + n->relX);
    n->bottom = clampLength(Wide{p.bottom} + n->shiftY - n->padTop + n->relY);
  }
}

// Keeps a measured node inside the lengths a layout can add up; a node at the limit could not be
// measured and is treated as overflowing, so that the line is broken rather than cut off.
bool keepInRange(MathObject& node) {
  using Wide = std::int64_t;
  const Wide width = Wide{node.width} + node.padLeft + node.padRight;
  node.width = clampLength(width);
  node.ascent = clampLength(Wide{node.ascent} + node.padAscent + node.padTop);
  node.descent = clampLength(node.descent);
  for (const ObjectPtr& c : node.children) {
    c->relX = clampLength(c->relX);
    c->relY = clampLength(c->relY);
  }
  return width >= kLengthLimit;
}

} // namespace

SizeTable makeSizeTable(int mainPoints, int firstScriptPoints, int secondScriptPoints) {
  const int big = mainPoints == 18 ? 24 : mainPoints * 3 / 2;
  return {toFixed(big),
          toFixed(big),
          toFixed(mainPoints),
          toFixed(firstScriptPoints),
          toFixed(secondScriptPoints),
          toFixed(secondScriptPoints)};
}

Typesetter::Typesetter(FontServices& services, std::string typeface)
    : services_(services), typeface_(std::move(typeface)) {}

Typesetter::~Typesetter() = default;

void Typesetter::setTypeface(std::string typeface) {
  if (typeface.empty() || typeface == typeface_) return;
  typeface_ = std::move(typeface);
  fonts_.clear();
  metrics_.clear();
}

const FontFace& Typesetter::font(Face face, Fixed pointSize) {
  for (const FontSlot& slot : fonts_)
    if (slot.face == face && slot.size == pointSize) return *slot.font;
  const std::string_view name = face == Face::Symbol  ? kSymbolFaceName
                                : face == Face::Arial ? kArialFaceName
                                                      : std::string_view(typeface_);
  fonts_.push_back({face, pointSize, services_.createFont(name, face, pointSize)});
  return *fonts_.back().font;
}

FontMetrics Typesetter::metrics(Fixed pointSize, Face face, bool alone) {
  // The text face and the Symbol face are measured together, so a line keeps one height
  // whichever face a glyph comes from.
  if (face == Face::Arial) alone = true;
  if (!alone) face = Face::Text;
  for (const MetricsSlot& slot : metrics_)
    if (slot.size == pointSize && slot.face == face && slot.alone == alone) return slot.metrics;
  FontMetrics m;
  auto take = [&m](const FontFace& f) {
    m.lineHeight = std::max(m.lineHeight, f.height());
    m.ascent = std::max(m.ascent, f.ascent());
    m.descent = std::max(m.descent, f.descent());
  };
  take(font(face, pointSize));
  if (!alone) take(font(Face::Symbol, pointSize));
  m.hairline = std::max(m.lineHeight / 20, toFixed(1));
  metrics_.push_back({pointSize, face, alone, m});
  return metrics_.back().metrics;
}

void Typesetter::measureTree(InsertionPoint& ip, LayoutContext& ctx) {
  // Children before parents: reverse pre-order, without recursion so that deep trees are safe.
  std::vector<MathObject*> order;
  for (MathObject* n = ip.root.get(); n; n = nextPreorder(*n, *ip.root)) order.push_back(n);
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    MathObject& node = **it;
    ctx.selectFor(node);
    node.textBox = 0;
    layoutRoutine(kindInfo(node.kind).layout)(ctx, node);
    const bool atLimit = keepInRange(node);
    if ((atLimit || node.width > ip.wrapWidth) && !node.overflow) markOverflowing(node);
  }
}

void Typesetter::layoutLine(InsertionPoint& ip) {
  if (!ip.root) return;
  prepareNumbers(ip);
  insertDisplayParentheses(ip);
  clearOverflow(*ip.root);
  assignSizeLevels(*ip.root);
  const TypesettingState& state = typesettingState();
  LayoutContext ctx(*this, ip, state.spacingA, state.spacingB);
  measureTree(ip, ctx);
  if (ip.root->overflow) {
    // Overflowing fractions and powers are now set inline, their exponents at full size and
    // their compound operands in parentheses.
    insertDisplayParentheses(ip);
    assignSizeLevels(*ip.root);
    measureTree(ip, ctx);
  }
  placeTree(*ip.root);
  ctx.selectFor(*ip.root);
  ip.baselineOffset = ip.root->descent - (ip.root->textBox ? 0 : ctx.axis());
  breakLines(ip);
  ip.layoutValid = 1;
}

void Typesetter::ensureLayout(InsertionPoint& ip) {
  if (!ip.layoutValid) layoutLine(ip);
}

std::vector<DisplayLine> Typesetter::displayLines(const InsertionPoint& ip) {
  std::vector<DisplayLine> lines;
  if (ip.lineCount > 1 && static_cast<int>(ip.lineBreaks.size()) >= ip.lineCount) {
    for (int i = 0; i < ip.lineCount; ++i) {
      const LineRecord& r = ip.lineBreaks[static_cast<std::size_t>(i)];
      lines.push_back({r.words[0], r.words[1], r.words[2]});
    }
    return lines;
  }
  const MathObject* root = ip.root.get();
  lines.push_back({0, root ? saturatedAdd(root->left, root->width) : 0, 0});
  return lines;
}

Fixed Typesetter::drawnWidth(const InsertionPoint& ip) {
  Fixed width = 0;
  for (const DisplayLine& l : displayLines(ip)) width = std::max(width, l.end - l.start);
  return width;
}

Fixed Typesetter::drawnHeight(const InsertionPoint& ip) {
  if (!ip.root) return 0;
  const std::vector<DisplayLine> lines = displayLines(ip);
  return saturatedAdd(lines.back().shift, ip.root->bottom);
}

void Typesetter::drawTree(const InsertionPoint& ip, LayoutContext& ctx, Fixed visibleLeft,
                          Fixed visibleRight) {
  MathObject& root = *ip.root;
  ctx.setVisibleRange(visibleLeft, visibleRight);
  for (MathObject* n = &root; n;) {
    // Children lie within their parent's box, so a box outside the range holds nothing to draw.
    if (n->left > visibleRight || saturatedAdd(n->left, n->width) < visibleLeft) {
      n = nextOutside(*n, root);
      continue;
    }
    ctx.selectFor(*n);
    layoutRoutine(kindInfo(n->kind).layout)(ctx, *n);
    n = nextPreorder(*n, root);
  }
}

void Typesetter::drawLine(const InsertionPoint& ip, DrawingSurface& surface, Fixed x, Fixed y,
                          const DrawOptions& options) {
  if (!ip.root) return;
  const TypesettingState& state = typesettingState();
  const MathObject* blankPrompt =
      options.promptWithoutMark && ip.current && ip.current->kind == ObjectKind::prompt ? ip.current
                                                                                        : nullptr;
  const std::vector<DisplayLine> lines = displayLines(ip);
  const bool broken = lines.size() > 1;
  CaretShape caret;
  if (options.caret) caret = caretShape(*this, ip);
  const Fixed height = ip.root->bottom;
  // Glyphs may reach a little beyond their boxes; only the cut sides are exact.
  const Fixed margin = height / 2;
  for (const DisplayLine& line : lines) {
    const Fixed originX = x - line.start, originY = y + line.shift;
    if (broken) surface.setClip(x, originY - margin, line.end - line.start, height + 2 * margin);
    for (const CaretRectangle& r : caret.highlight)
      surface.fillRectangle(r.x + originX, r.y + originY, r.width, r.height, Fill::Selection);
    LayoutContext ctx(*this, ip, state.spacingA, state.spacingB);
    ctx.beginDrawing(surface, originX, originY, blankPrompt);
    if (broken)
      drawTree(ip, ctx, line.start - margin, saturatedAdd(line.end, margin));
    else
      drawTree(ip, ctx, INT64_MIN, INT64_MAX);
    if (caret.bar)
      surface.fillRectangle(caret.barX + originX, caret.barTop + originY, caret.barWidth,
                            caret.barBottom - caret.barTop, Fill::Ink);
    if (broken) surface.clearClip();
  }
}

Fixed Typesetter::textPrefixWidth(const InsertionPoint& ip, const MathObject& string, int count) {
  LayoutContext ctx(*this, ip, 0, 0);
  ctx.selectFor(string);
  const std::size_t n = static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(string.text.size())));
  return ctx.textWidth(Face::Text, std::string_view(string.text).substr(0, n));
}

int Typesetter::characterIndexAt(const InsertionPoint& ip, const MathObject& string, Fixed x) {
  const int length = static_cast<int>(string.text.size());
  Fixed previous = 0;
  for (int i = 1; i <= length; ++i) {
    const Fixed edge = textPrefixWidth(ip, string, i);
    if (x - string.left < (previous + edge) / 2) return i - 1;
    previous = edge;
  }
  return length;
}

} // namespace vexmar
