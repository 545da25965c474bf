#pragma once

#include "graph/plane/graph_2d.h"
#include "numeric/evaluator.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vexmar {

struct GraphKindRequest;
struct PlaneMapping;

/// The value of a vector field at one grid point.
struct FieldSample {
  double f = 0.0;
  double g = 0.0;
  bool computed = false;
};

/// [x, y] = [f(x, y), g(x, y)] shown as arrows on a square grid of the plane, all scaled by one
/// factor so that the longest is one grid spacing long.
class CVectorField2D final : public CGraph2D {
public:
  /// Both components in x and y (r and θ being the polar coordinates of the point).
  CVectorField2D(const CGraphPlane& plane, std::unique_ptr<Evaluator> f, std::unique_ptr<Evaluator> g,
                 std::unique_ptr<GraphStyle> style, double resolution);
  ~CVectorField2D() override;

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port) override;
  [[nodiscard]] GraphStatus status() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void setProperty(int which, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override { return started_ && next_ >= samples_.size(); }
  void resize() override { invalidate(); }

  /// Screen-independent pixels between arrows: 100 at resolution 0 down to 10 at 1.
  [[nodiscard]] static int spacingFor(double resolution);
  /// Device pixels between arrows, once computing has started.
  [[nodiscard]] int spacing() const { return spacing_; }
  [[nodiscard]] int columns() const { return columns_; }
  [[nodiscard]] int rows() const { return rows_; }
  [[nodiscard]] std::span<const FieldSample> samples() const { return samples_; }
  /// The pixel of grid point (column, row), counted from the top left.
  [[nodiscard]] PixelPoint gridPoint(int column, int row) const;
  /// The largest finite length of a vector met so far; 0 before any.
  [[nodiscard]] double largestMagnitude() const { return largest_; }
  /// Where the arrow from a grid point ends, in pixels (not rounded); false when the sample has
  /// no arrow (a component not a number, or an infinite length).
  [[nodiscard]] bool arrowHead(int column, int row, double& headColumn, double& headRow) const;

private:
  [[nodiscard]] const PlaneMapping& mapping() const;
  void start();
  void compile();

  std::unique_ptr<Evaluator> f_;
  std::unique_ptr<Evaluator> g_;
  double resolution_;
  int spacing_ = 0;
  int columns_ = 0;
  int rows_ = 0;
  std::vector<FieldSample> samples_;
  std::size_t next_ = 0;
  bool started_ = false;
  double largest_ = 0.0;
};

/// The graph-kind factory of [x, y] = [f(x, y), g(x, y)].
int addVectorField2D(GraphKindRequest& request);

} // namespace vexmar
