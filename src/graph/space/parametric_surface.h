#pragma once

#include "graph/coordinate_range.h"
#include "graph/space/graph_3d.h"
#include "numeric/evaluator.h"

#include <array>
#include <memory>

namespace vexmar {

/// The three component formulas of a graph in space, of (u, v) for a surface or of u alone for
/// a curve, already in Cartesian coordinates.
struct SpaceComponents {
  std::unique_ptr<Evaluator> x;
  std::unique_ptr<Evaluator> y;
  std::unique_ptr<Evaluator> z;
};

/// A surface sampled on an n x n grid in (u, v), lit by its normals and coloured by its style.
/// Every surface form is rewritten into one of these by the builders.
class CParametricSurface final : public CGraph3D {
public:
  /// `uRange` and `vRange` are the space's ranges, read again at every restart; `resolution`
  /// sets n = trunc(60·resolution + 5); `spareValue` is carried into every vertex. The
  /// components must be uncompiled: the surface compiles them with their derivatives.
  CParametricSurface(const CGraphSpace3D& space, SpaceComponents components,
                     std::unique_ptr<Evaluator> condition, std::unique_ptr<GraphStyle> style,
                     const CoordinateRange& uRange, const CoordinateRange& vRange, double resolution,
                     double spareValue);
  ~CParametricSurface() override;

  void compute(std::int64_t budgetMs) override;
  void render(const SpaceFrame& frame) override;
  [[nodiscard]] GraphStatus status() const override;
  bool dependsOn(std::uint16_t variable) override;
  void setOption(int code, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override;
  [[nodiscard]] double boundingRadius() const override;
  /// True when the pixel's centre lies in a triangle the surface draws, as `camera` projects it.
  [[nodiscard]] bool hitTest(PixelPoint point, const Camera& camera) const override;

  /// Samples along each side.
  [[nodiscard]] int gridSize() const;
  [[nodiscard]] bool usesAnalyticNormals() const;
  [[nodiscard]] double spareValue() const;

  /// One grid sample as computed so far: its position in box units and its unit normal.
  struct Sample {
    Vector3 position{0, 0, 0};
    std::array<float, 3> normal{0, 0, 0};
    bool valid = false;
  };
  /// The sample at grid row `row` (the u direction) and `column` (v); invalid outside the grid.
  [[nodiscard]] Sample sample(int row, int column) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace vexmar
