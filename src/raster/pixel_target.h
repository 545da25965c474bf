#pragma once

#include "raster/pixel_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vexmar {

/// A pixel position: column x, row y.
struct PixelPoint {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(PixelPoint, PixelPoint) = default;
};

/// A pixel rectangle; bottom and right are exclusive.
struct PixelRect {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;

  [[nodiscard]] constexpr int width() const { return right - left; }
  [[nodiscard]] constexpr int height() const { return bottom - top; }
  [[nodiscard]] constexpr bool isEmpty() const { return right <= left || bottom <= top; }
  [[nodiscard]] constexpr bool contains(PixelPoint p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  friend constexpr bool operator==(PixelRect, PixelRect) = default;
};

[[nodiscard]] constexpr PixelRect intersect(PixelRect a, PixelRect b) {
  PixelRect r{std::max(a.top, b.top), std::max(a.left, b.left), std::min(a.bottom, b.bottom),
              std::min(a.right, b.right)};
  if (r.isEmpty()) return {};
  return r;
}

/// The locked pixels the software routines write: valid only between `beginDrawing` and
/// `endDrawing` of the frame buffer that handed it out.
struct PixelTarget {
  std::uint8_t* pixels = nullptr;
  std::ptrdiff_t pitch = 0; ///< bytes from one row to the next
  int width = 0;
  int height = 0;
  PixelFormatCode format = PixelFormatCode::Xrgb8888;
  /// The pixel value the buffer was last cleared to; pixels equal to it count as background.
  std::uint32_t background = 0;

  [[nodiscard]] constexpr PixelRect bounds() const { return {0, 0, height, width}; }
};

} // namespace vexmar
