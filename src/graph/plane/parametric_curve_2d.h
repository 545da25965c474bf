#pragma once

#include "graph/coordinate_range.h"
#include "graph/plane/graph_2d.h"
#include "numeric/evaluator.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vexmar {

struct GraphKindRequest;
struct PlaneMapping;

/// What the parameter of a parametric curve stands for: it decides the range the curve runs over
/// and the lines of its readout.
enum class ParameterKind : int {
  XYOfT = 3,     ///< [x, y] = [f(t), g(t)], over the t range
  ROfTheta = 4,  ///< r = f(θ), over the θ range
  ThetaOfR = 5,  ///< θ = f(r), over the r range
  RThetaOfT = 6, ///< [r, θ] = [f(t), g(t)], over the t range
};

/// The expressions of a parametric curve, all in the variable u.
struct ParametricComponents {
  std::unique_ptr<Evaluator> x;
  std::unique_ptr<Evaluator> y;
  /// r and θ as the equation gives them, for the readout; null where the parameter is itself
  /// that coordinate, and for [x, y] of t.
  std::unique_ptr<Evaluator> radius;
  std::unique_ptr<Evaluator> angle;
};

/// The point at one of the evenly spaced parameter values.
struct ParametricSample {
  double x = 0.0;
  double y = 0.0;
};

/// A point of the traced picture at parameter t; one whose x is not a number breaks the line.
struct TracedPoint {
  double t = 0.0;
  double x = 0.0;
  double y = 0.0;
};

/// A curve traced along one parameter: r = f(θ), θ = f(r), [x, y] and [r, θ] of t. It samples the
/// Cartesian components at evenly spaced parameter values and joins neighbouring samples; a
/// join is drawn straight only where interval enclosures show the curve stays within a few pixels
/// of it, is halved where they do not, and is left out where the curve cannot reach the window or
/// is not continuous (a pole, a jump, the edge of its domain).
class CParametricCurve2D final : public CGraph2D {
public:
  CParametricCurve2D(const CGraphPlane& plane, ParametricComponents components, ParameterKind kind,
                     std::unique_ptr<GraphStyle> style, double resolution);
  ~CParametricCurve2D() override;

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

  /// 800 × resolution + 200 samples (resolution 1 gives 1000, 0 gives 200), within sane bounds.
  [[nodiscard]] static std::size_t sampleCountFor(double resolution);

  [[nodiscard]] ParameterKind parameterKind() const { return kind_; }
  [[nodiscard]] std::span<const ParametricSample> samples() const { return samples_; }
  /// The range the samples were taken over, read from the plane when sampling starts.
  [[nodiscard]] CoordinateRange parameterRange() const { return range_; }
  /// The polyline drawn now, broken where a point's x is not a number.
  [[nodiscard]] std::span<const TracedPoint> trace() const;
  /// The curve's point at parameter t; not numbers where the curve is undefined.
  [[nodiscard]] TracedPoint pointAt(double t) const;

private:
  /// The window and the pixel size a trace is made for.
  struct TraceFrame {
    double xLow, xHigh, yLow, yHigh; ///< the window with a margin, in coordinates
    double fineX, fineY;             ///< the largest piece drawn straight without more ado
  };
  /// The nearest point of the drawn polyline to a point, with the distance measured in pixels.
  struct Nearest {
    bool found = false;
    double distance = 0.0;
    double t = 0.0;    ///< the parameter there, interpolated along the segment
    double tLow = 0.0; ///< the parameters of the segment's ends
    double tHigh = 0.0;
    double dx = 0.0; ///< the segment's direction
    double dy = 0.0;
  };

  [[nodiscard]] const PlaneMapping& mapping() const;
  void allocateSamples(std::size_t count);
  void compile();
  [[nodiscard]] CoordinateRange rangeFromPlane() const;
  [[nodiscard]] double parameterAt(std::size_t index) const;
  void startTrace();
  /// Draws the piece from a to b, halving it where needed: `depth` halvings since the last piece
  /// that ran towards an end of the curve, `halvings` since the samples.
  void traceSpan(const TracedPoint& a, const TracedPoint& b, int depth, int halvings);
  [[nodiscard]] bool continuityCertified(const TracedPoint& a, const TracedPoint& b) const;
  void emit(const TracedPoint& a, const TracedPoint& b);
  /// A piece from `start` is not drawn: the line breaks there.
  void leaveOut(const TracedPoint& start);
  void breakLine();
  /// Keeps the picture shown while the trace is made again for a moved or resized window.
  void retrace();
  [[nodiscard]] Nearest nearestOnTrace(double x, double y) const;
  /// Moves t to the foot of the perpendicular from (x, y) to the curve, within the segment.
  [[nodiscard]] double footOfPerpendicular(const Nearest& near, double x, double y) const;

  ParametricComponents components_;
  std::unique_ptr<Evaluator> xSlope_; ///< dX/du; absent when X contains a factorial
  std::unique_ptr<Evaluator> ySlope_;
  ParameterKind kind_;
  std::vector<ParametricSample> samples_;
  std::size_t sampled_ = 0;  ///< samples computed for the current range
  std::size_t progress_ = 0; ///< samples whose join with the previous one is traced
  CoordinateRange range_;
  TraceFrame frame_{};
  std::vector<TracedPoint> trace_;
  /// The last complete picture, drawn while the trace is made again after a scroll or resize.
  std::vector<TracedPoint> retained_;
  int halvingsLeft_ = 0;       ///< for the step between two samples being traced
  bool traceOpen_ = false;     ///< the trace's last point continues into the next piece
  bool loosePoint_ = false;    ///< the piece before the next one was left out
  bool anyFinitePair_ = false; ///< two neighbouring samples were both finite
};

/// The graph-kind factories of parametric curves: r = f(θ), θ = f(r), [r, θ] = [f(t), g(t)] and
/// [x, y] = [f(t), g(t)].
int addPolarROfTheta(GraphKindRequest& request);
int addPolarThetaOfR(GraphKindRequest& request);
int addPolarCurveOfT(GraphKindRequest& request);
int addParametricCurveXY(GraphKindRequest& request);

} // namespace vexmar
