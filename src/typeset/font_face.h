#pragma once

#include "model/math_object.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace vexmar {

/// The faces equations are set in. The numbers are the face numbers of the kind table's glyphs.
enum class Face : std::uint8_t {
  Symbol = 0, ///< Greek, operators and big symbols, in the Symbol encoding
  Text = 1,   ///< letters, digits and names: the Typeface preference
  Arial = 2,  ///< the auxiliary sans-serif face
};

/// One created font. Character codes are bytes in the face's own encoding: the Symbol encoding for
/// the Symbol face, Mac Roman for the others. All metrics are 16.16 device pixels.
class FontFace {
public:
  virtual ~FontFace() = default;
  [[nodiscard]] virtual Fixed ascent() const = 0;
  [[nodiscard]] virtual Fixed descent() const = 0;
  [[nodiscard]] virtual Fixed height() const = 0;
  [[nodiscard]] virtual Fixed textWidth(std::string_view codes) const = 0;
  [[nodiscard]] virtual Fixed characterWidth(std::uint8_t code) const = 0;
};

/// The platform's font services: fonts made by face name and point size (16.16) at the screen's
/// vertical resolution.
class FontServices {
public:
  virtual ~FontServices() = default;
  [[nodiscard]] virtual std::unique_ptr<FontFace> createFont(std::string_view faceName, Face face,
                                                             Fixed pointSize) = 0;
};

/// What a filled rectangle shows.
enum class Fill : std::uint8_t {
  Ink,       ///< the text colour: the caret
  Selection, ///< the highlight behind selected objects
};

/// Where typeset equations are drawn. Coordinates are 16.16 device pixels, y growing downward.
class DrawingSurface {
public:
  virtual ~DrawingSurface() = default;
  /// A run of character codes whose baseline starts at (x, baseline).
  virtual void drawText(const FontFace& font, Fixed x, Fixed baseline, std::string_view codes) = 0;
  /// A straight stroke of the given thickness with flat ends.
  virtual void drawLine(Fixed x0, Fixed y0, Fixed x1, Fixed y1, Fixed thickness) = 0;
  virtual void fillRectangle(Fixed x, Fixed y, Fixed width, Fixed height, Fill fill) = 0;
  /// Limits drawing to a rectangle until clearClip (used to draw one display line of a broken
  /// equation).
  virtual void setClip(Fixed x, Fixed y, Fixed width, Fixed height) = 0;
  virtual void clearClip() = 0;
};

/// The pixel size of a font of `pointSize` (16.16): points at the screen's vertical resolution,
/// truncated to whole pixels as the platform's font height is.
[[nodiscard]] constexpr int pixelSizeFor(Fixed pointSize, int dotsPerInch) {
  const std::int64_t pixels = static_cast<std::int64_t>(pointSize) * dotsPerInch / 72 / 65536;
  return pixels < 1 ? 1 : pixels > 4096 ? 4096 : static_cast<int>(pixels);
}

/// Pixels to 16.16 and back.
[[nodiscard]] constexpr Fixed toFixed(int pixels) { return static_cast<Fixed>(pixels) * 65536; }
[[nodiscard]] constexpr double toPixels(Fixed value) { return value / 65536.0; }

} // namespace vexmar
