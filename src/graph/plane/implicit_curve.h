#pragma once

#include "graph/plane/graph_2d.h"
#include "numeric/evaluator.h"
#include "numeric/interval.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vexmar {

struct GraphKindRequest;
struct PlaneMapping;

/// A relation of x and y drawn pixel by pixel: an equation F = G (its curve) or a chain of
/// inequalities (its region). Rectangles of the plane are settled by interval evaluation of the
/// relation and halved while undecided; small ones are decided pixel by pixel. The answer is a
/// two-bit map: 3 the relation holds in (or certainly crosses) the pixel, 1 it may, 0 it cannot.
class CImplicitCurve final : public CGraph2D {
public:
  /// `truth` is the whole relation as a truth value; `boundary` is zero where the relation
  /// changes: left − right of an equation, the product of the differences of an inequality.
  CImplicitCurve(const CGraphPlane& plane, std::unique_ptr<Evaluator> truth,
                 std::unique_ptr<Evaluator> boundary, bool isEquation, std::unique_ptr<GraphStyle> style,
                 int curveMode);
  ~CImplicitCurve() override;

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port) override;
  [[nodiscard]] GraphStatus status() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void setProperty(int which, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override { return work_.empty(); }
  void resize() override;
  void scroll(int dx, int dy) override;
  [[nodiscard]] bool hitTest(PixelPoint point) const override;
  [[nodiscard]] bool readout(PixelPoint point, ReadoutRecord& record) const override;
  [[nodiscard]] CurvePiece nearestPoint(double x, double y, double tolerance) const override;
  /// A region is painted before the axes, which stay seen across it; a curve is drawn over them.
  [[nodiscard]] bool drawsBeneathAxes() const override { return !isEquation_; }

  /// Rectangles at least this many pixels wide or high are halved rather than decided per pixel.
  static constexpr int kPixelDecisionSize = 11;

  [[nodiscard]] bool isEquation() const { return isEquation_; }
  [[nodiscard]] const Evaluator& truth() const { return *truth_; }
  [[nodiscard]] int curveMode() const { return curveMode_; }
  /// The code of a pixel of the plane (0 outside the map).
  [[nodiscard]] int codeAt(PixelPoint point) const;
  /// Interval evaluations since construction, of the relation and of its boundary.
  [[nodiscard]] std::int64_t intervalEvaluations() const { return intervalEvaluations_; }
  /// Maps computed from scratch to completion since construction (not answered from the cache).
  [[nodiscard]] int mapsComputed() const { return mapsComputed_; }
  [[nodiscard]] std::size_t cachedMaps() const { return cache_.size(); }
  [[nodiscard]] bool cachingOn() const { return !cachingOff_; }

private:
  /// A rectangle of map pixels still to be examined, counted from the map's top-left corner.
  struct WorkRect {
    std::int16_t left, top, right, bottom;
  };
  struct Box {
    double xLow, xHigh, yLow, yHigh;
  };
  struct CacheEntry {
    double value;
    std::vector<std::uint8_t> map;
  };

  [[nodiscard]] const PlaneMapping& mapping() const;
  void compile();
  void allocateMap();
  /// Clears the map and queues the whole of it.
  void restart();
  void clearCache();
  void processRect(WorkRect rect);
  [[nodiscard]] int decidePixel(int column, int row);
  /// The 5 x 5 sub-box test, after a look at the sub-boxes' corners that may settle it at once.
  [[nodiscard]] int decideBySubBoxes(const Box& pixel, bool isEquation);
  [[nodiscard]] Box boxOf(int left, int top, int right, int bottom) const;
  /// The relation or its boundary over a box, noting whether part of the box lies outside its
  /// domain.
  [[nodiscard]] IntervalValue intervalOver(const Evaluator& evaluator, const Box& box, bool& partlyUndefined);
  void setCode(int column, int row, int code);
  [[nodiscard]] int mapCode(int column, int row) const;
  void storeInCache();
  /// Moves (x, y) onto the zero set of the boundary; false when it does not get there.
  [[nodiscard]] bool projectOntoCurve(double& x, double& y, double& dx, double& dy) const;

  std::unique_ptr<Evaluator> truth_;
  std::unique_ptr<Evaluator> boundary_;
  bool isEquation_;
  int curveMode_;
  /// The boundary is continuous wherever its interval is bounded and defined: no signs, angles
  /// or comparisons in it. Only then does a change of sign prove a crossing.
  bool boundaryContinuous_ = false;

  std::vector<WorkRect> work_;
  std::vector<std::uint8_t> map_;
  std::ptrdiff_t stride_ = 0;
  PixelRect mapRect_;
  bool fresh_ = true; ///< the map is empty and the whole of it is queued

  std::vector<CacheEntry> cache_;
  std::uint16_t cachedName_ = 0; ///< the parameter the cached maps belong to
  std::size_t cacheBytes_ = 0;
  bool cachingOff_ = false;
  bool storePending_ = false;
  double pendingValue_ = 0.0;

  std::int64_t intervalEvaluations_ = 0;
  int mapsComputed_ = 0;
};

/// The graph-kind factories: F(x, y) = G(x, y), and an inequality region (with the inequalities
/// after its comma joined in by the builder).
int addImplicitCurve(GraphKindRequest& request);
int addInequalityRegion(GraphKindRequest& request);

} // namespace vexmar
