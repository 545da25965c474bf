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

/// What one pixel of an explicit curve holds.
enum class SampleKind : std::int32_t {
  NotComputed = 0,
  EdgeSegment = 1,  ///< a defined segment between the values at the pixel's edges
  RangeSegment = 2, ///< a defined segment from range bounds (a jump, or a partly defined pixel)
  Unbounded = 3,    ///< an asymptote crosses the pixel
  Undefined = 4,
};

/// One pixel column (or row) of an explicit curve.
struct CurveSample {
  double centre = 0.0; ///< the independent coordinate at the middle of the pixel
  double low = 0.0;    ///< the segment drawn, in the dependent coordinate
  double high = 0.0;
  double rightValue = 0.0; ///< f at the right (upper) edge; the next pixel's left value
  SampleKind kind = SampleKind::NotComputed;
  std::int32_t fill = 0;
};
static_assert(sizeof(CurveSample) == 40);

/// y = f(x) or x = f(y), sampled once per pixel column (or row) and drawn as one-pixel segments.
class CExplicitCurve final : public CGraph2D {
public:
  /// Curve modes: edge values only, interval bounds, or interval bounds checked and refined.
  enum CurveMode : int { Fast = 0, Bounds = 1, Careful = 2 };

  /// `function` is in the variable u; `overX` is true for y = f(u = x), false for x = f(u = y).
  CExplicitCurve(const CGraphPlane& plane, std::unique_ptr<Evaluator> function, bool overX,
                 std::unique_ptr<GraphStyle> style, int curveMode);
  ~CExplicitCurve() override;

  void work(std::int64_t budgetMs) override;
  void draw(DrawingPort& port) override;
  [[nodiscard]] GraphStatus status() const override;
  void parameterChanged(std::uint16_t name, double value) override;
  void setProperty(int which, double value) override;
  void invalidate() override;
  [[nodiscard]] bool isComplete() const override { return progress_ >= samples_.size(); }
  void resize() override;
  void scroll(int dx, int dy) override;
  [[nodiscard]] bool hitTest(PixelPoint point) const override;
  [[nodiscard]] bool readout(PixelPoint point, ReadoutRecord& record) const override;
  [[nodiscard]] CurvePiece nearestPoint(double x, double y, double tolerance) const override;

  [[nodiscard]] int curveMode() const { return curveMode_; }
  [[nodiscard]] bool overX() const { return overX_; }
  [[nodiscard]] std::span<const CurveSample> samples() const { return samples_; }
  /// The index of the next sample `work` looks at.
  [[nodiscard]] std::size_t progress() const { return progress_; }

private:
  /// What refining a pixel found: the extremes of the numbers seen, and how the values behaved.
  struct Refinement {
    double low;
    double high;
    bool anyNumber = false;
    bool allFinite = true;    ///< no infinite value among the numbers
    double largestStep = 0.0; ///< between neighbouring points, on the finest grid only

    /// Takes in one value of f; false when it is not a number.
    bool include(double v);
  };

  [[nodiscard]] const PlaneMapping& mapping() const;
  [[nodiscard]] std::size_t countFromRect() const;
  /// Resizes the sample array; on allocation failure raises the memory error and keeps none.
  void allocateSamples(std::size_t count);
  void computeSample(std::size_t index);
  void classifyCareful(CurveSample& sample, double a, double b, double fa, double fb) const;
  [[nodiscard]] Refinement refineBounds(double a, double b, double fa, double fb) const;
  [[nodiscard]] Refinement sampleFinely(double a, double b) const;
  [[nodiscard]] bool hasNoPole(double a, double b, double fa, double fb) const;
  [[nodiscard]] bool isJump(double a, double b, double fa, double fb, IntervalValue bounds) const;
  /// One pixel of the dependent coordinate, in its units.
  [[nodiscard]] double dependentPixel() const;
  /// The sample under a pixel of the plane, or null when there is none.
  [[nodiscard]] const CurveSample* sampleAt(PixelPoint point) const;
  [[nodiscard]] double slopeAt(double u) const;
  void compile();

  std::unique_ptr<Evaluator> function_;
  std::unique_ptr<Evaluator> derivative_; ///< absent when f contains a factorial
  std::vector<CurveSample> samples_;
  std::size_t progress_ = 0;
  int curveMode_;
  int finestDoublings_ = 0; ///< how many times a suspicious pixel is halved
  bool overX_;
};

/// The graph-kind factories of explicit curves: y = f(x), also an expression in x alone, and
/// x = f(y), also an expression in y alone.
int addCurveYOfX(GraphKindRequest& request);
int addCurveXOfY(GraphKindRequest& request);

} // namespace vexmar
