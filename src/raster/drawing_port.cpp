#include "raster/drawing_port.h"

#include <cmath>

namespace vexmar {

bool DrawingPort::attach(const PixelTarget& target, double* depth) {
  const PixelRoutineSet* routines = pixelRoutines(target.format);
  if (routines == nullptr || target.pixels == nullptr || target.width < 0 || target.height < 0) return false;
  target_ = target;
  depth_ = depth;
  routines_ = routines;
  clip_ = target.bounds();
  return true;
}

void DrawingPort::detach() {
  target_ = {};
  depth_ = nullptr;
  routines_ = nullptr;
  clip_ = {};
}

void DrawingPort::setClip(PixelRect clip) { clip_ = intersect(clip, target_.bounds()); }

void DrawingPort::setPen(SystemColour colour) {
  for (const SystemColourRow& row : kSystemColours)
    if (row.colour == colour) pen_ = row.rgb;
}

void DrawingPort::moveTo(double x, double y) {
  penX_ = x;
  penY_ = y;
}

void DrawingPort::lineTo(double x, double y) {
  double x0 = penX_, y0 = penY_, x1 = x, y1 = y;
  moveTo(x, y);
  if (routines_ == nullptr || !clipSegment(clip_, x0, y0, x1, y1)) return;
  // The clipped ends are finite and inside the clip, so they convert to pixels safely.
  const auto pixel = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
  routines_->lineSolid(target_, clip_, {pixel(x0), pixel(y0)}, {pixel(x1), pixel(y1)}, pen_);
}

void DrawingPort::fillRect(PixelRect rect) {
  if (routines_ != nullptr) routines_->fillSolid(target_, clip_, rect, brush_);
}

void DrawingPort::frameRect(PixelRect rect) {
  if (routines_ == nullptr || rect.isEmpty()) return;
  const PixelRect edges[] = {{rect.top, rect.left, rect.top + 1, rect.right},
                             {rect.bottom - 1, rect.left, rect.bottom, rect.right},
                             {rect.top, rect.left, rect.bottom, rect.left + 1},
                             {rect.top, rect.right - 1, rect.bottom, rect.right}};
  for (const PixelRect& edge : edges) routines_->fillSolid(target_, clip_, edge, brush_);
}

void DrawingPort::outlineRect(PixelRect rect) {
  if (routines_ == nullptr || rect.isEmpty()) return;
  const Rgb brush = brush_;
  fillRect(rect);
  brush_ = pen_;
  frameRect(rect);
  brush_ = brush;
}

TextExtent DrawingPort::textExtent(std::string_view text) const {
  return text_ != nullptr ? text_->extent(text) : TextExtent{};
}

void DrawingPort::textOut(PixelPoint at, std::string_view text) {
  if (routines_ == nullptr || text_ == nullptr || clip_.isEmpty()) return;
  const TextExtent size = text_->extent(text);
  long long left = at.x;
  long long top = at.y;
  switch (align_.horizontal) {
  case HorizontalAlign::Left:
    break;
  case HorizontalAlign::Center:
    left -= size.width / 2;
    break;
  case HorizontalAlign::Right:
    left -= size.width;
    break;
  }
  switch (align_.vertical) {
  case VerticalAlign::Top:
    break;
  case VerticalAlign::Baseline:
    top -= size.ascent;
    break;
  case VerticalAlign::Bottom:
    top -= size.height;
    break;
  }
  // Text starting beyond the int range cannot reach the clip.
  if (left + size.width <= clip_.left || left >= clip_.right || top + size.height <= clip_.top ||
      top >= clip_.bottom)
    return;
  text_->draw(target_, clip_, {static_cast<int>(left), static_cast<int>(top)}, text, textColour_);
}

void DrawingPort::plotPixel(PixelRect clip, PixelPoint p, Rgb colour) {
  if (routines_ != nullptr) routines_->plotPixel(target_, clip, p, colour);
}

void DrawingPort::plotDot(PixelRect clip, PixelPoint p, Rgb colour) {
  if (routines_ != nullptr) routines_->plotDot(target_, clip, p, colour);
}

void DrawingPort::plotMarker(PixelRect clip, PixelPoint p, Rgb colour) {
  if (routines_ != nullptr) routines_->plotMarker(target_, clip, p, colour);
}

void DrawingPort::plotVerticalSegment(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour, int step) {
  if (routines_ != nullptr) routines_->plotVerticalSegment(target_, clip, from, to, colour, step);
}

void DrawingPort::plotHorizontalSegment(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour,
                                        int step) {
  if (routines_ != nullptr) routines_->plotHorizontalSegment(target_, clip, from, to, colour, step);
}

void DrawingPort::plotLine(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour) {
  if (routines_ != nullptr) routines_->plotLine(target_, clip, from, to, colour);
}

void DrawingPort::blitMap(TwoBitMap map, PixelRect mapRect, PixelRect destRect, Rgb colour) {
  if (routines_ != nullptr) routines_->blitMap(target_, map, mapRect, destRect, colour);
}

} // namespace vexmar
