#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_target.h"

#include <string_view>

namespace vexmar {

/// Size of a piece of text in pixels; ascent is the distance from the top to the baseline.
struct TextExtent {
  int width = 0;
  int height = 0;
  int ascent = 0;
};

/// The platform's text drawing; the port does the alignment, this only measures and paints.
class TextRenderer {
public:
  virtual ~TextRenderer() = default;
  [[nodiscard]] virtual TextExtent extent(std::string_view text) const = 0;
  /// Paints `text` with its top-left corner at `topLeft`, writing nothing outside `clip`.
  virtual void draw(const PixelTarget& target, PixelRect clip, PixelPoint topLeft, std::string_view text,
                    Rgb colour) = 0;
};

} // namespace vexmar
