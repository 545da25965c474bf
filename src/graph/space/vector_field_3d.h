#pragma once

#include "graph/space/parametric_surface.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace vexmar {

/// Arrows of [f, g, h](x, y, z) on a cubic lattice of n points per axis over the x, y and z
/// ranges, n = trunc(12·resolution + 4.5); the longest arrow spans one lattice step.
class CVectorField3D final : public CGraph3D {
public:
  /// One lattice point: where it is, in box units, and the field's vector there, in coordinates.
  struct FieldSample {
    Vector3 position{0, 0, 0};
    Vector3 vector{0, 0, 0};
  };

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
  /// n for a resolution; a resolution that is not a number counts as 0.
  [[nodiscard]] static int latticeSizeFor(double resolution);
  /// The lattice points sampled so far, x fastest, then y, then z; and which have an arrow (1).
  [[nodiscard]] std::span<const FieldSample> samples() const;
  [[nodiscard]] std::span<const std::uint8_t> validFlags() const;
  /// The largest length of a vector met so far, in coordinates.
  [[nodiscard]] double largestLength() const;
  /// Where the arrow from lattice point `index` ends, in box units; nothing when it has none.
  [[nodiscard]] std::optional<Vector3> arrowHead(int index) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace vexmar
