#pragma once

#include "graph/plane/graph_2d.h"
#include "model/math_object.h"
#include "numeric/evaluator.h"

#include <cstdint>
#include <memory>

namespace vexmar {

struct GraphKindRequest;
struct PlaneMapping;

/// A function of the point (x, y) of the plane, for the kinds that sample it on a grid. In it r
/// and θ are the polar coordinates of the point: the compiler derives them from x and y.
class SampledFunction {
public:
  explicit SampledFunction(const MathObject& function);
  ~SampledFunction();
  SampledFunction(SampledFunction&&) noexcept;
  SampledFunction& operator=(SampledFunction&&) noexcept;

  /// Sets up a grid of `columns` × `rows` points, the first at (x, y), then steps along each.
  void prepareGrid(double x, double y, double xStep, double yStep, int columns, int rows);
  /// The value at a point of the prepared grid.
  [[nodiscard]] double atGridPoint(int column, int row) const {
    return grid_->evalGridPoint(column, row, *block_);
  }
  /// The value at any point.
  [[nodiscard]] double at(double x, double y) const { return point_->evalUVXYZ(0.0, 0.0, x, y, 0.0); }
  /// An enclosure of the values over a rectangle.
  [[nodiscard]] IntervalValue over(double xLow, double xHigh, double yLow, double yHigh) const {
    return point_->evalIntervalXY(xLow, xHigh, yLow, yHigh);
  }
  /// A parameter took a new value: true when the function uses it (it is then compiled again if
  /// need be, and the grid must be prepared again).
  bool parameterChanged(std::uint16_t name, double value);
  /// x, y and the value at a pixel; false where the function is undefined.
  [[nodiscard]] bool readout(const PlaneMapping& mapping, PixelPoint point, ReadoutRecord& record) const;

private:
  void compile();

  /// x and y as u and v, so that the parts depending on only one of them are worked out once per
  /// grid column or row.
  std::unique_ptr<Evaluator> grid_;
  std::unique_ptr<GridBlock> block_;
  /// x and y as they are, for single points and enclosures.
  std::unique_ptr<Evaluator> point_;
};

/// The graph-kind factory of z = f(x, y), z = f(r, θ), z = f(x, y, r, θ) and an expression in x,
/// y, r and θ in the plane: plot style 2 makes a density plot, 3 a contour plot, any other none.
int addDensityOrContourPlot(GraphKindRequest& request);

} // namespace vexmar
