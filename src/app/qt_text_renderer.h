#pragma once

#include "raster/text_renderer.h"

#include <QFont>
#include <QFontMetrics>

namespace vexmar {

/// Text of the graph pane (tick labels, readouts) drawn with Qt straight into the frame buffer.
class QtTextRenderer final : public TextRenderer {
public:
  /// `pixelSize` is the font's height in frame-buffer pixels.
  explicit QtTextRenderer(int pixelSize = 11);

  [[nodiscard]] TextExtent extent(std::string_view text) const override;
  void draw(const PixelTarget& target, PixelRect clip, PixelPoint topLeft, std::string_view text,
            Rgb colour) override;

private:
  QFont font_;
  QFontMetrics metrics_;
};

} // namespace vexmar
