#pragma once

#include "graph/space/parametric_surface.h"

#include <memory>

namespace vexmar {

/// Arrows of [f, g, h](x, y, z) on a cubic lattice of n points per axis over the x, y and z
/// ranges, n = trunc(12·resolution + 4.5); the longest arrow spans one lattice step.
class CVectorField3D final : public CGraph3D {
public:
  /// The components are of x, y and z.
  CVectorField3D(const CGraphSpace3D& space, SpaceComponents components, std::unique_ptr<Evaluator> condition,
                 std::unique_ptr<GraphStyle> style, double resolution);
  ~CVectorField3D() override;

  void compute(std::int64_t budgetMs) override;
  void render(const SpaceFrame& frame) override;
  [[nodiscard]] GraphStatus status() const override;
  bool dependsOn(std::uint16_t variable) override;
  void setOption(int code, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override;
  [[nodiscard]] double boundingRadius() const override;

  [[nodiscard]] int latticeSize() const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace vexmar
