#pragma once

#include "typeset/font_face.h"

#include <QColor>
#include <QPainter>

namespace vexmar {

/// Draws typeset equations with a QPainter, using fonts made by QtFontServices.
class QtDrawingSurface final : public DrawingSurface {
public:
  explicit QtDrawingSurface(QPainter& painter, QColor ink = Qt::black,
                            QColor selection = QColor(0xC8, 0xC8, 0xC8))
      : painter_(painter), ink_(ink), selection_(selection) {}

  void drawText(const FontFace& font, Fixed x, Fixed baseline, std::string_view codes) override;
  void drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) override;
  void fillRectangle(Fixed x, Fixed y, Fixed width, Fixed height, Fill fill) override;
  void setClip(Fixed x, Fixed y, Fixed width, Fixed height) override;
  void clearClip() override;

private:
  QPainter& painter_;
  QColor ink_, selection_;
};

} // namespace vexmar
