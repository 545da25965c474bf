#pragma once

#include "graph/coordinate_range.h"
#include "graph/space/parametric_surface.h"

#include <memory>

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

  [[nodiscard]] int pointCount() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace vexmar
