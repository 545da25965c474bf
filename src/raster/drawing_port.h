#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_routines.h"
#include "raster/pixel_target.h"
#include "raster/rasteriser.h"
#include "raster/text_renderer.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace vexmar {

/// The few system colours the plane draws with.
enum class SystemColour : std::uint8_t { Window, WindowText, GrayText, ButtonFace, Highlight };

struct SystemColourRow {
  SystemColour colour;
  Rgb rgb;
};

inline constexpr std::array<SystemColourRow, 5> kSystemColours{{
    {SystemColour::Window, {255, 255, 255}},
    {SystemColour::WindowText, {0, 0, 0}},
    {SystemColour::GrayText, {128, 128, 128}},
    {SystemColour::ButtonFace, {192, 192, 192}},
    {SystemColour::Highlight, {0, 0, 128}},
}};

enum class HorizontalAlign : std::uint8_t { Left, Center, Right };
enum class VerticalAlign : std::uint8_t { Top, Baseline, Bottom };

struct TextAlign {
  HorizontalAlign horizontal = HorizontalAlign::Left;
  VerticalAlign vertical = VerticalAlign::Top;
};

/// What the plane and the 2D graph kinds draw through: pen, brush and text in the manner of the
/// window system, and the shading pixel routines of the target's pixel format.
class DrawingPort {
public:
  DrawingPort() = default;
  explicit DrawingPort(TextRenderer* text) : text_(text) {}

  /// Draws into `target` from now on, with the clip reset to its bounds. A target of an
  /// unsupported format is refused and the port keeps its previous target. `depth`, when given,
  /// holds width x height doubles, row-major, for the 3D rasteriser.
  [[nodiscard]] bool attach(const PixelTarget& target, double* depth = nullptr);
  /// Stops drawing anywhere; call before the target's `endDrawing`.
  void detach();
  [[nodiscard]] bool isAttached() const { return routines_ != nullptr; }
  /// The pixels and depths the 3D rasteriser draws into; without a depth buffer it draws nothing.
  [[nodiscard]] RasterTarget rasterTarget() const { return {target_, depth_}; }

  void setTextRenderer(TextRenderer* text) { text_ = text; }
  /// Limits the pen, brush and text drawing; always kept inside the target.
  void setClip(PixelRect clip);
  [[nodiscard]] PixelRect clip() const { return clip_; }

  void setPen(Rgb colour) { pen_ = colour; }
  void setPen(SystemColour colour);
  void setBrush(Rgb colour) { brush_ = colour; }

  /// Pen position in pixels; a position that is not finite makes the next line draw nothing.
  void moveTo(double x, double y);
  /// A one-pixel pen line from the pen position, which then moves to (x, y).
  void lineTo(double x, double y);

  void fillRect(PixelRect rect);
  /// A one-pixel border in the brush colour.
  void frameRect(PixelRect rect);
  /// A pen border around a brush-filled interior.
  void outlineRect(PixelRect rect);

  void setTextAlign(TextAlign align) { align_ = align; }
  void setTextColour(Rgb colour) { textColour_ = colour; }
  /// Size of `text`, or empty without a text renderer.
  [[nodiscard]] TextExtent textExtent(std::string_view text) const;
  /// Draws `text` with the reference point of the current alignment at `at`.
  void textOut(PixelPoint at, std::string_view text);

  // The shading pixel routines; see `PixelRoutineSet`.
  void plotPixel(PixelRect clip, PixelPoint p, Rgb colour);
  void plotDot(PixelRect clip, PixelPoint p, Rgb colour);
  void plotMarker(PixelRect clip, PixelPoint p, Rgb colour);
  void plotVerticalSegment(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour, int step);
  void plotHorizontalSegment(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour, int step);
  void plotLine(PixelRect clip, PixelPoint from, PixelPoint to, Rgb colour);
  void blitMap(TwoBitMap map, PixelRect mapRect, PixelRect destRect, Rgb colour);

private:
  PixelTarget target_;
  double* depth_ = nullptr;
  const PixelRoutineSet* routines_ = nullptr;
  TextRenderer* text_ = nullptr;
  PixelRect clip_;
  Rgb pen_;
  Rgb brush_{255, 255, 255};
  Rgb textColour_;
  TextAlign align_;
  double penX_ = 0.0;
  double penY_ = 0.0;
};

} // namespace vexmar
