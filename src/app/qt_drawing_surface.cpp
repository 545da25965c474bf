#include "app/qt_drawing_surface.h"

#include "app/qt_font_services.h"

#include <QPen>
#include <QPointF>
#include <QRectF>

namespace vexmar {

void QtDrawingSurface::drawText(const FontFace& font, Fixed x, Fixed baseline, std::string_view codes) {
  painter_.setFont(qtFontOf(font));
  painter_.setPen(ink_);
  painter_.drawText(QPointF(toPixels(x), toPixels(baseline)), qtTextOf(font, codes));
}

void QtDrawingSurface::drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) {
  painter_.setPen(QPen(ink_, toPixels(thickness), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  painter_.drawLine(QPointF(toPixels(x0), toPixels(y0)), QPointF(toPixels(x1), toPixels(y1)));
}

void QtDrawingSurface::fillRectangle(Fixed x, Fixed y, Fixed width, Fixed height, Fill fill) {
  painter_.fillRect(QRectF(toPixels(x), toPixels(y), toPixels(width), toPixels(height)),
                    fill == Fill::Ink ? ink_ : selection_);
}

void QtDrawingSurface::setClip(Fixed x, Fixed y, Fixed width, Fixed height) {
  painter_.setClipRect(QRectF(toPixels(x), toPixels(y), toPixels(width), toPixels(height)));
}

void QtDrawingSurface::clearClip() { painter_.setClipping(false); }

} // namespace vexmar
