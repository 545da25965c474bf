#include "app/qt_text_renderer.h"

#include <QImage>
#include <QPainter>
#include <QString>

namespace vexmar {
namespace {

QFont labelFont(int pixelSize) {
  QFont font("Arial");
  font.setPixelSize(pixelSize > 0 ? pixelSize : 11);
  return font;
}

} // namespace

QtTextRenderer::QtTextRenderer(int pixelSize) : font_(labelFont(pixelSize)), metrics_(font_) {}

TextExtent QtTextRenderer::extent(std::string_view text) const {
  const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return {metrics_.horizontalAdvance(string), metrics_.height(), metrics_.ascent()};
}

void QtTextRenderer::draw(const PixelTarget& target, PixelRect clip, PixelPoint topLeft,
                          std::string_view text, Rgb colour) {
  // Only the 32-bit layout can be wrapped without a copy; the frame buffer always has it.
  if (target.pixels == nullptr || target.format != PixelFormatCode::Xrgb8888) return;
  const PixelRect area = intersect(clip, target.bounds());
  if (area.isEmpty()) return;
  QImage image(target.pixels, target.width, target.height, target.pitch, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setClipRect(area.left, area.top, area.width(), area.height());
  painter.setFont(font_);
  painter.setPen(QColor(colour.red, colour.green, colour.blue));
  painter.drawText(topLeft.x, topLeft.y + metrics_.ascent(),
                   QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace vexmar
