#include "typeset/layout_context.h"

#include "typeset/typesetter.h"

#include <algorithm>

namespace vexmar {

LayoutContext::LayoutContext(Typesetter& typesetter, const InsertionPoint& line, int raiseA, int raiseB)
    : typesetter_(typesetter), line_(line), raiseA_(raiseA), raiseB_(raiseB) {}

Fixed LayoutContext::levelSize(int level) const {
  const int last = static_cast<int>(line_.sizeTable.size()) - 1;
  return line_.sizeTable[static_cast<std::size_t>(std::clamp(level, 0, last))];
}

void LayoutContext::selectFor(const MathObject& node) {
  selectSize(node.fontSize > 0 ? node.fontSize : levelSize(node.sizeLevel));
}

void LayoutContext::selectSize(Fixed pointSize) {
  if (pointSize == size_ && metrics_.lineHeight > 0) return;
  size_ = pointSize;
  metrics_ = typesetter_.metrics(pointSize);
}

const FontFace& LayoutContext::font(Face face) const { return typesetter_.font(face, size_); }

const FontFace& LayoutContext::font(Face face, Fixed pointSize) const {
  return typesetter_.font(face, pointSize);
}

void LayoutContext::beginDrawing(DrawingSurface& surface, Fixed originX, Fixed originY,
                                 const MathObject* blankPrompt) {
  surface_ = &surface;
  originX_ = originX;
  originY_ = originY;
  blankPrompt_ = blankPrompt;
}

void LayoutContext::drawText(Face face, Fixed x, Fixed baseline, std::string_view codes) const {
  drawText(font(face), x, baseline, codes);
}

void LayoutContext::drawText(const FontFace& f, Fixed x, Fixed baseline, std::string_view codes) const {
  if (!surface_ || codes.empty() || x > visibleRight_) return;
  if (x < visibleLeft_ && saturatedAdd(x, f.textWidth(codes)) < visibleLeft_) return;
  surface_->drawText(f, x + originX_, baseline + originY_, codes);
}

void LayoutContext::drawGlyph(Face face, std::uint8_t code, Fixed x, Fixed baseline) const {
  const char c = static_cast<char>(code);
  drawText(face, x, baseline, std::string_view(&c, 1));
}

void LayoutContext::drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) const {
  if (!surface_ || std::max(x0, x1) < visibleLeft_ || std::min(x0, x1) > visibleRight_) return;
  surface_->drawLine(x0 + originX_, y0 + originY_, x1 + originX_, y1 + originY_, thickness);
}

void ChildPlacer::put(MathObject& child, Fixed x, Fixed baselineOffset) {
  child.relX = x;
  child.relY = baselineOffset;
  ascent_ = std::max<std::int64_t>(ascent_, static_cast<std::int64_t>(child.ascent) - baselineOffset);
  descent_ = std::max<std::int64_t>(descent_, static_cast<std::int64_t>(baselineOffset) + child.descent);
}

void ChildPlacer::extend(Fixed ascent, Fixed descent) {
  ascent_ = std::max<std::int64_t>(ascent_, ascent);
  descent_ = std::max<std::int64_t>(descent_, descent);
}

void ChildPlacer::finish(MathObject& node) const {
  node.ascent = clampLength(ascent_);
  node.descent = clampLength(descent_);
  for (const ObjectPtr& c : node.children)
    if (c) c->relY = clampLength(static_cast<std::int64_t>(c->relY) + c->descent - node.descent);
}

Fixed saturatedAdd(Fixed a, Fixed b) {
  // Either operand may be anything a routine computed; the sum is taken only where it cannot
  // overflow.
  if (b > 0 && a > kLengthLimit - b) return kLengthLimit;
  if (b < 0 && a < -kLengthLimit - b) return -kLengthLimit;
  return clampLength(a + b);
}

} // namespace vexmar
