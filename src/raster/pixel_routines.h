#pragma once

#include "raster/pixel_format.h"
#include "raster/pixel_target.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexmar {

/// Codes of a two-bit region map.
enum class MapCode : std::uint8_t { Nothing = 0, Light = 1, Black = 2, Full = 3 };

/// A two-bit map: four pixels a byte, leftmost in the top bits, each row starting on a byte.
struct TwoBitMap {
  std::span<std::uint8_t> bytes;
  std::ptrdiff_t stride = 0; ///< bytes per row
};

/// The drawing routines of one pixel format. The shaded ones blend the new colour by the
/// brightness already under it, so curves over regions and over each other stay readable; the
/// solid ones overwrite, as the window system's pens and brushes do. Every routine writes only
/// inside both its clip and the target.
struct PixelRoutineSet {
  void (*plotPixel)(const PixelTarget&, PixelRect clip, PixelPoint, Rgb);
  /// The 3 x 3 block centred on the point, only when all of it lies inside the clip.
  void (*plotDot)(const PixelTarget&, PixelRect clip, PixelPoint, Rgb);
  /// A small ring spanning rows y-3..y+3 and columns x-1..x+2, only when all of it lies inside.
  void (*plotMarker)(const PixelTarget&, PixelRect clip, PixelPoint, Rgb);
  /// Every step-th pixel from `from` towards `to` in from's column (a step below 1 counts as 1).
  void (*plotVerticalSegment)(const PixelTarget&, PixelRect clip, PixelPoint from, PixelPoint to, Rgb,
                              int step);
  /// Every step-th pixel from `from` towards `to` in from's row.
  void (*plotHorizontalSegment)(const PixelTarget&, PixelRect clip, PixelPoint from, PixelPoint to, Rgb,
                                int step);
  void (*plotLine)(const PixelTarget&, PixelRect clip, PixelPoint from, PixelPoint to, Rgb);
  /// Plots every nonzero code of the map covering `mapRect` at the matching pixel of `destRect`;
  /// draws nothing when the rectangles differ in size or the map is too small for `mapRect`.
  void (*blitMap)(const PixelTarget&, TwoBitMap map, PixelRect mapRect, PixelRect destRect, Rgb);

  void (*fillSolid)(const PixelTarget&, PixelRect clip, PixelRect rect, Rgb);
  void (*lineSolid)(const PixelTarget&, PixelRect clip, PixelPoint from, PixelPoint to, Rgb);
};

/// The routines of a format, or null for `Unsupported` (or any code out of range).
[[nodiscard]] const PixelRoutineSet* pixelRoutines(PixelFormatCode code);

/// Sets every pixel of `rect` that lies inside the map (covering `mapRect`) to `code`. Returns
/// false, changing nothing, when the map is too small for `mapRect`.
bool fillMapRect(TwoBitMap map, PixelRect mapRect, PixelRect rect, MapCode code);

/// The code of one map pixel, counted from the map's top-left corner.
[[nodiscard]] MapCode mapCodeAt(TwoBitMap map, int column, int row);

/// Cuts the segment to the part whose points lie inside [left, right - 1] x [top, bottom - 1].
/// Returns false when nothing is left or an end is not finite.
[[nodiscard]] bool clipSegment(PixelRect clip, double& x0, double& y0, double& x1, double& y1);

} // namespace vexmar
