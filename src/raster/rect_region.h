#pragma once

#include "raster/pixel_target.h"

#include <vector>

namespace vexmar {

enum class RegionOperation { Copy, Or, And, Diff, Xor };

/// A set of pixels made of rectangles, for invalidation and hit tests. The rectangles are kept
/// disjoint so that containment and combination stay simple.
class RectRegion {
public:
  RectRegion() = default;
  explicit RectRegion(PixelRect rect) { setRect(rect); }

  void setRect(PixelRect rect);
  /// Replaces this region by `this op other` (Copy takes `other`).
  void combine(const RectRegion& other, RegionOperation operation);

  [[nodiscard]] bool contains(PixelPoint p) const;
  [[nodiscard]] bool isEmpty() const { return rects_.empty(); }
  [[nodiscard]] long long area() const;
  [[nodiscard]] const std::vector<PixelRect>& rects() const { return rects_; }

private:
  std::vector<PixelRect> rects_;
};

} // namespace vexmar
