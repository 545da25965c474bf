#pragma once

#include "graph/coordinate_range.h"
#include "graph/space/parametric_surface.h"

#include <cstdint>
#include <memory>
#include <span>

namespace vexmar {

/// A curve in space: n points of [x, y, z](t) joined by segments where consecutive points are
/// valid. The components are of u, which runs over the t range.
class CParametricCurve3D final : public CGraph3D {
public:
  /// n = trunc(800·resolution + 200). The t range's lower end is read at every step.
  CParametricCurve3D(const CGraphSpace3D& space, const CoordinateRange& tRange, SpaceComponents components,
                     std::unique_ptr<Evaluator> condition, std::unique_ptr<GraphStyle> style,
                     double resolution);
  ~CParametricCurve3D() override;

  void compute(std::int64_t budgetMs) override;
  void render(const SpaceFrame& frame) override;
  [[nodiscard]] GraphStatus status() const override;
  bool dependsOn(std::uint16_t variable) override;
  void setOption(int code, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override;
  [[nodiscard]] double boundingRadius() const override;
  [[nodiscard]] bool hitTest(PixelPoint point, const Camera& camera) const override;

  [[nodiscard]] int pointCount() const;
  /// n for a resolution; a resolution that is not a number counts as 0.
  [[nodiscard]] static int pointCountFor(double resolution);
  /// The points sampled so far, in box units, and which of them are drawn (1) or not (0).
  [[nodiscard]] std::span<const Vector3> points() const;
  [[nodiscard]] std::span<const std::uint8_t> validFlags() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace vexmar
