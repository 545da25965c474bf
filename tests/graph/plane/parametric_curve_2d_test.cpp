#include "graph/plane/parametric_curve_2d.h"

#include "../../raster/canvas.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "raster/drawing_port.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace vexmar {
namespace {

// 600 x 400 pixels at 64 per unit: x from about -4.7 to 4.7, y from about -3.1 to 3.1.
constexpr PixelRect kWindow{0, 0, 400, 600};
constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// How far, in pixels, the picture may stray from the curve: a straight piece is drawn only where
// the curve stays within 3 pixels of it, and lines are rasterised to the nearest pixel.
constexpr double kTolerancePixels = 4.0;

std::string c(const std::string& letter) { return "char[" + letter + "]"; }
std::string n(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
std::string f(const std::string& name, const std::string& a) { return name + "[" + a + "]"; }
std::string f(const std::string& name, const std::string& a, const std::string& b) {
  return name + "[" + a + "," + b + "]";
}
std::string eq(const std::string& a, const std::string& b) { return f("equal", a, b); }
std::string vec(const std::string& a, const std::string& b) { return "matrix[2,1," + a + "," + b + "]"; }
const std::string T = c("t");
const std::string R = c("r");
const std::string kTheta = c("theta");
const std::string kXY = vec(c("x"), c("y"));
const std::string kRTheta = vec(R, kTheta);

struct ParametricCurveTest : ::testing::Test {
  ParametricCurveTest() { resetNumericState(); }
  ~ParametricCurveTest() override { resetNumericState(); }

  CParametricCurve2D& build(const std::string& text, double resolution = 1.0) {
    const ObjectPtr tree = readObjectText(text);
    EXPECT_TRUE(tree) << "bad text form in the test: " << text;
    GraphBuildSettings settings;
    settings.resolutionA = resolution;
    const int index = buildGraph(container, *prepareForEvaluation(*tree), false, settings);
    auto* curve = dynamic_cast<CParametricCurve2D*>(plane().graph(index));
    EXPECT_NE(curve, nullptr) << text;
    return *curve;
  }
  CParametricCurve2D& completed(const std::string& text, double resolution = 1.0) {
    CParametricCurve2D& curve = build(text, resolution);
    curve.work(1); // the clock stands still: the budget never runs out
    EXPECT_TRUE(curve.isComplete());
    return curve;
  }
  void setRange(Coordinate coordinate, double min, double max) {
    ASSERT_TRUE(container.setRange(static_cast<int>(coordinate), false, min));
    ASSERT_TRUE(container.setRange(static_cast<int>(coordinate), true, max));
  }
  CGraphPlane& plane() { return container.plane(); }
  double columnOf(double x) const {
    return container.plane().mapping().originColumn + x * container.plane().mapping().pixelsPerUnitX;
  }
  double rowOf(double y) const {
    return container.plane().mapping().originRow + y * container.plane().mapping().pixelsPerUnitY;
  }

  ManualClock clock;
  CGraphContainer container{kWindow, clock};
};

// The curve's points, found by point evaluation alone, without the interval arithmetic the
// tracer relies on: evenly spread parameters, and between two neighbours that lie more than a pixel
// apart the parameter halfway, again and again, until the points are a pixel apart, both lie off
// the window on the same side, neither is a finite point, or the parameter cannot be split further.
class PointsOfTheCurve {
public:
  PointsOfTheCurve(ParametricCurveTest& test, const CParametricCurve2D& curve, int width, int height)
      : test_(test), curve_(curve), width_(width), height_(height) {
    const CoordinateRange range = curve.parameterRange();
    // Off the round values, where a lone point such as sgn 0 may sit: such a point is found only
    // when a sample lands on it.
    constexpr int kSpread = 20000;
    constexpr double kOffset = 0.3819660112501051;
    TracedPoint previous = add(range.min + (range.max - range.min) * kOffset / kSpread);
    for (int i = 1; i < kSpread; ++i) {
      const TracedPoint next = add(range.min + (range.max - range.min) * (i + kOffset) / kSpread);
      between(previous, next, 0);
      previous = next;
    }
  }
  /// The pixels of the window that hold a point of the curve.
  [[nodiscard]] const std::vector<PixelPoint>& pixels() const { return pixels_; }

private:
  TracedPoint add(double t) {
    const TracedPoint p = curve_.pointAt(t);
    const double column = std::floor(test_.columnOf(p.x) + 0.5), row = std::floor(test_.rowOf(p.y) + 0.5);
    if (column >= 0 && column < width_ && row >= 0 && row < height_)
      pixels_.push_back({static_cast<int>(column), static_cast<int>(row)});
    return p;
  }
  void between(const TracedPoint& a, const TracedPoint& b, int depth) {
    const double ax = test_.columnOf(a.x), ay = test_.rowOf(a.y), bx = test_.columnOf(b.x),
                 by = test_.rowOf(b.y);
    const bool finite = std::isfinite(ax) && std::isfinite(ay) && std::isfinite(bx) && std::isfinite(by);
    if (finite && std::hypot(bx - ax, by - ay) <= 1.0) return;
    if (finite && ((ax < -8 && bx < -8) || (ax > width_ + 8 && bx > width_ + 8) || (ay < -8 && by < -8) ||
                   (ay > height_ + 8 && by > height_ + 8)))
      return;
    const auto defined = [](double x, double y) { return std::isfinite(x) && std::isfinite(y); };
    if (!defined(ax, ay) && !defined(bx, by)) return;
    const double t = a.t * 0.5 + b.t * 0.5;
    if (depth == 60 || t == a.t || t == b.t || pixels_.size() > 5000000) return;
    const TracedPoint middle = add(t);
    between(a, middle, depth + 1);
    between(middle, b, depth + 1);
  }

  ParametricCurveTest& test_;
  const CParametricCurve2D& curve_;
  int width_, height_;
  std::vector<PixelPoint> pixels_;
};

// The picture a careful reader sees, against the points of the curve: nothing missing (every
// point of the curve in the window has a drawn pixel near it) and nothing invented (every drawn
// pixel has a point of the curve near it; a line joined across a pole, a jump or a gap in the
// domain fails this). Pixels near the edges are left out: the curve just outside may be drawn
// cut at the edge.
void expectPictureShowsTheCurve(ParametricCurveTest& test, CParametricCurve2D& curve) {
  constexpr int kWidth = 600, kHeight = 400;
  test::Canvas canvas(PixelFormatCode::Xrgb8888, kWidth, kHeight);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  curve.draw(port);

  const PointsOfTheCurve points(test, curve, kWidth, kHeight);
  const std::vector<PixelPoint>& curvePixels = points.pixels();
  std::vector<char> onCurve(static_cast<std::size_t>(kWidth * kHeight), 0);
  for (const PixelPoint p : curvePixels) onCurve[static_cast<std::size_t>(p.y * kWidth + p.x)] = 1;

  const int reach = static_cast<int>(kTolerancePixels);
  const auto inside = [&](PixelPoint p) {
    return p.x >= reach && p.x < kWidth - reach && p.y >= reach && p.y < kHeight - reach;
  };
  const auto anyNear = [&](PixelPoint p, auto isSet) {
    for (int dy = -reach; dy <= reach; ++dy)
      for (int dx = -reach; dx <= reach; ++dx)
        if (dx * dx + dy * dy <= reach * reach && isSet(p.x + dx, p.y + dy)) return true;
    return false;
  };
  const auto drawn = [&](int x, int y) { return !canvas.isBackground(x, y); };
  const auto curveThere = [&](int x, int y) {
    return onCurve[static_cast<std::size_t>(y * kWidth + x)] != 0;
  };

  int missing = 0;
  PixelPoint firstMissing{};
  for (const PixelPoint p : curvePixels)
    if (inside(p) && !anyNear(p, drawn) && missing++ == 0) firstMissing = p;
  EXPECT_EQ(missing, 0) << "first curve point with no drawn pixel near: pixel " << firstMissing.x << ", "
                        << firstMissing.y;

  int invented = 0;
  PixelPoint firstInvented{};
  for (int y = reach; y < kHeight - reach; ++y)
    for (int x = reach; x < kWidth - reach; ++x)
      if (drawn(x, y) && !anyNear({x, y}, curveThere) && invented++ == 0) firstInvented = {x, y};
  EXPECT_EQ(invented, 0) << "first drawn pixel far from the curve: " << firstInvented.x << ", "
                         << firstInvented.y;
}

struct HardCurve {
  const char* name;
  std::string text;
  Coordinate over;
  double min, max;                    // NaN: the plane's default range
  std::array<double, 4> region{kNaN}; // the region shown; NaN: the default view
  double resolution = 1.0;
};

TEST_F(ParametricCurveTest, HardCurvesAreDrawnWithNothingMissingAndNothingInvented) {
  const HardCurve cases[] = {
      {"r = theta", eq(R, kTheta), Coordinate::Theta, 0, 6 * kPi},
      {"r = 1/theta, a pole at 0", eq(R, f("over", n(1), kTheta)), Coordinate::Theta, -2 * kPi, 2 * kPi},
      {"r = tan theta, poles", eq(R, f("tan", kTheta)), Coordinate::Theta, kNaN, kNaN},
      {"r = sin 5 theta", eq(R, f("sin", f("times", n(5), kTheta))), Coordinate::Theta, kNaN, kNaN},
      {"theta = r", eq(kTheta, R), Coordinate::R, 0, 4},
      {"[cos 3t, sin 2t]", eq(kXY, vec(f("cos", f("times", n(3), T)), f("sin", f("times", n(2), T)))),
       Coordinate::T, 0, 2 * kPi},
      {"[t, 1/t] across its pole", eq(kXY, vec(T, f("over", n(1), T))), Coordinate::T, -1, 1},
      {"[t, 1/t^2], a pole both sides go up", eq(kXY, vec(T, f("over", n(1), f("power", T, n(2))))),
       Coordinate::T, -1, 1},
      {"[tan t, t]", eq(kXY, vec(f("tan", T), T)), Coordinate::T, -3, 3},
      {"[6 cos t, 2 sin 3t] leaves and comes back",
       eq(kXY, vec(f("times", n(6), f("cos", T)), f("times", n(2), f("sin", f("times", n(3), T))))),
       Coordinate::T, 0, 2 * kPi},
      {"[t, sqrt t], undefined for half of t", eq(kXY, vec(T, f("sqrt", T))), Coordinate::T, -2, 2},
      {"[t, sgn t], a jump", eq(kXY, vec(T, f("sgn", T))), Coordinate::T, -2, 2},
      {"[r, theta] = [1 + t, 3t]", eq(kRTheta, vec(f("plus", n(1), T), f("times", n(3), T))), Coordinate::T,
       0, 2},
      {"[t, sin(1/t)], endless wiggles", eq(kXY, vec(T, f("sin", f("over", n(1), T)))), Coordinate::T, -1, 1},
      // Zoomed out, the step between samples is wide, and so is the piece next to a pole.
      {"[t, 1/t] over -1000 .. 1000 at 600 samples",
       eq(kXY, vec(T, f("over", n(1), T))),
       Coordinate::T,
       -1000,
       1000,
       {-1000, 1000, -1000, 1000},
       0.5},
      {"r = 1/theta far out",
       eq(R, f("over", n(1), kTheta)),
       Coordinate::Theta,
       -10,
       10,
       {-200, 200, -50, 50}},
      {"r = sin theta / theta seen closely where it is 0/0",
       eq(R, f("over", f("sin", kTheta), kTheta)),
       Coordinate::Theta,
       -6 * kPi,
       6 * kPi,
       {0.99, 1.01, -0.01, 0.01},
       0.5},
      {"[t, sqrt t] seen closely at its end",
       eq(kXY, vec(T, f("sqrt", T))),
       Coordinate::T,
       -100,
       100,
       {-0.01, 0.01, -0.1, 0.1}},
  };
  for (const HardCurve& hard : cases) {
    SCOPED_TRACE(hard.name);
    container.clearGraphs();
    container.zoom(CGraphPlane::Reset);
    if (!std::isnan(hard.min)) setRange(hard.over, hard.min, hard.max);
    if (!std::isnan(hard.region[0])) {
      ASSERT_TRUE(plane().showRegion(hard.region[0], hard.region[1], hard.region[2], hard.region[3]));
    }
    CParametricCurve2D& curve = completed(hard.text, hard.resolution);
    EXPECT_EQ(curve.status(), GraphStatus::None);
    expectPictureShowsTheCurve(*this, curve);
  }
}

TEST_F(ParametricCurveTest, APointWhosePiecesOnBothSidesAreLeftOutIsDrawnAlone) {
  // 201 samples over -1 .. 1: one lands on t = 0, where sgn t is 0 between its jumps.
  setRange(Coordinate::T, -1, 1);
  const CParametricCurve2D& sign = completed(eq(kXY, vec(T, f("sgn", T))), 1.0 / 800);
  ASSERT_EQ(sign.samples().size(), 201u);
  const std::span<const TracedPoint> trace = sign.trace();
  int dots = 0;
  for (std::size_t i = 1; i < trace.size(); ++i) {
    const TracedPoint& a = trace[i - 1];
    const TracedPoint& b = trace[i];
    if (std::isnan(a.x) || std::isnan(b.x)) continue;
    EXPECT_EQ(a.y, b.y) << "a segment across the jump at t = " << a.t;
    if (a.t == 0.0 && b.t == 0.0) ++dots;
  }
  EXPECT_EQ(dots, 1);
}

TEST_F(ParametricCurveTest, TheSampleCountFollowsTheResolution) {
  const struct {
    double resolution;
    std::size_t count;
  } cases[] = {{1.0, 1000}, {0.0, 200}, {0.5, 600}, {0.25, 400}, {-3.0, 200}, {kNaN, 200}, {1e300, 100000}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.resolution);
    EXPECT_EQ(CParametricCurve2D::sampleCountFor(row.resolution), row.count);
  }

  // The unit circle at resolution 1 and 0: every join is short enough to be drawn as it is, so the
  // picture is the samples' own polygon, closed.
  CParametricCurve2D& circle = completed(eq(R, n(1)));
  EXPECT_EQ(circle.samples().size(), 1000u);
  EXPECT_EQ(circle.trace().size(), 1000u);
  circle.setProperty(GraphProperty::Resolution, 0.0);
  EXPECT_FALSE(circle.isComplete());
  circle.work(1);
  ASSERT_EQ(circle.samples().size(), 200u);
  ASSERT_EQ(circle.trace().size(), 200u);
  for (const TracedPoint& p : circle.trace()) EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, 1e-12);
  EXPECT_NEAR(circle.trace().front().x, circle.trace().back().x, 1e-12);
  EXPECT_NEAR(circle.trace().front().y, circle.trace().back().y, 1e-12);
}

TEST_F(ParametricCurveTest, StatusTellsWhyNothingIsSeen) {
  const struct {
    const char* name;
    std::string text;
    GraphStatus status;
  } cases[] = {
      {"unit circle", eq(R, n(1)), GraphStatus::None},
      {"circle round the window", eq(R, n(10)), GraphStatus::CurveOutsideRegion},
      {"segment right of the window", eq(kXY, vec(f("plus", T, n(20)), T)), GraphStatus::CurveOutsideRegion},
      {"[t, 1/t] from its pole at t = 0", eq(kXY, vec(T, f("over", n(1), T))), GraphStatus::None},
      {"undefined everywhere", eq(kXY, vec(f("sqrt", f("minus", f("plus", n(1), f("power", T, n(2))))), T)),
       GraphStatus::UndefinedOrInfiniteInRegion},
      {"infinite everywhere", eq(kXY, vec(f("over", n(1), f("plus", T, f("minus", T))), T)),
       GraphStatus::UndefinedOrInfiniteInRegion},
      {"r = sqrt(theta - 10) over 0 .. 2 pi", eq(R, f("sqrt", f("plus", kTheta, n(-10)))),
       GraphStatus::UndefinedOrInfiniteInRegion},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    container.clearGraphs();
    EXPECT_EQ(completed(row.text).status(), row.status);
  }
}

TEST_F(ParametricCurveTest, EachFormRunsOverItsOwnRange) {
  const struct {
    const char* name;
    std::string text;
    ParameterKind kind;
    CoordinateRange range;
  } cases[] = {
      {"r = f(theta)", eq(R, n(1)), ParameterKind::ROfTheta, {0, 2 * kPi}},
      {"theta = f(r)", eq(kTheta, R), ParameterKind::ThetaOfR, {0, 2}},
      {"[x, y] of t", eq(kXY, vec(T, T)), ParameterKind::XYOfT, {0, 1}},
      {"[r, theta] of t", eq(kRTheta, vec(T, T)), ParameterKind::RThetaOfT, {0, 1}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    container.clearGraphs();
    const CParametricCurve2D& curve = completed(row.text);
    EXPECT_EQ(curve.parameterKind(), row.kind);
    EXPECT_EQ(curve.parameterRange(), row.range);
  }

  // A new t range takes effect when the curve starts again, as editing it does.
  CParametricCurve2D& line = build(eq(kXY, vec(T, n(0))));
  setRange(Coordinate::T, -3, 2);
  line.work(1);
  EXPECT_EQ(line.parameterRange(), (CoordinateRange{-3, 2}));
  EXPECT_DOUBLE_EQ(line.samples().front().x, -3.0);
  EXPECT_DOUBLE_EQ(line.samples().back().x, 2.0);
}

TEST_F(ParametricCurveTest, WorkStopsAtTheDeadlineAndResumesToTheSamePicture) {
  const std::string text = eq(kXY, vec(f("tan", T), T));
  setRange(Coordinate::T, -3, 3);
  const CParametricCurve2D& once = completed(text);
  const std::vector<TracedPoint> whole(once.trace().begin(), once.trace().end());
  container.clearGraphs();

  CParametricCurve2D& sliced = build(text);
  clock.setStepPerReading(1);
  int slices = 0;
  while (!sliced.isComplete() && slices < 100000) {
    sliced.work(5);
    ++slices;
  }
  EXPECT_GT(slices, 10);
  const std::span<const TracedPoint> pieces = sliced.trace();
  ASSERT_EQ(pieces.size(), whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (std::isnan(whole[i].x)) {
      EXPECT_TRUE(std::isnan(pieces[i].x)) << i;
      continue;
    }
    EXPECT_EQ(pieces[i].t, whole[i].t) << i;
    EXPECT_EQ(pieces[i].x, whole[i].x) << i;
    EXPECT_EQ(pieces[i].y, whole[i].y) << i;
  }
}

TEST_F(ParametricCurveTest, PanningKeepsTheSamplesAndTracesTheUncoveredPart) {
  setRange(Coordinate::T, -10, 10);
  CParametricCurve2D& line = completed(eq(kXY, vec(T, n(0))));
  const std::vector<ParametricSample> before(line.samples().begin(), line.samples().end());
  const auto leftmost = [&line] {
    double x = 1e9;
    for (const TracedPoint& p : line.trace())
      if (!std::isnan(p.x)) x = std::min(x, p.x);
    return x;
  };
  const double left = plane().mapping().xOf(-0.5);
  EXPECT_NEAR(leftmost(), left, 3.0 / 64);

  // The view moves one unit right: the picture shown stays until the new one is traced.
  ASSERT_TRUE(plane().moveAxes(64, 0));
  EXPECT_FALSE(line.isComplete());
  EXPECT_NEAR(leftmost(), left, 3.0 / 64);
  line.work(1);
  EXPECT_NEAR(leftmost(), left - 1.0, 3.0 / 64);
  ASSERT_EQ(line.samples().size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(line.samples()[i].x, before[i].x) << i;
  EXPECT_EQ(line.status(), GraphStatus::None);

  // A resize traces again for the new rectangle as well.
  container.layoutChanged({0, 0, 400, 300});
  line.work(1);
  EXPECT_EQ(line.status(), GraphStatus::None);
  EXPECT_NEAR(leftmost(), plane().mapping().xOf(-0.5), 3.0 / 64);
}

TEST_F(ParametricCurveTest, AParameterTheCurveUsesRestartsIt) {
  numericState().parameters.set("a", "2");
  CParametricCurve2D& circle =
      completed(eq(kXY, vec(f("times", c("a"), f("cos", T)), f("times", c("a"), f("sin", T)))));
  EXPECT_DOUBLE_EQ(circle.samples().front().x, 2.0);
  circle.parameterChanged('b', 5.0);
  EXPECT_TRUE(circle.isComplete()) << "a letter the curve does not use";
  circle.parameterChanged('a', 3.0);
  EXPECT_FALSE(circle.isComplete());
  circle.work(1);
  EXPECT_DOUBLE_EQ(circle.samples().front().x, 3.0);
}

TEST_F(ParametricCurveTest, TheReadoutNamesTheCoordinatesOfTheParameterKind) {
  const struct {
    const char* name;
    std::string text;
    double x, y;                          // a point of the curve
    std::vector<std::string_view> labels; // after "x: " and "y: "
    std::vector<double> values;
  } cases[] = {
      {"r = theta at pi", eq(R, kTheta), -kPi, 0, {"r: ", "theta: "}, {kPi, kPi}},
      {"theta = r at 1", eq(kTheta, R), std::cos(1.0), std::sin(1.0), {"r: ", "theta: "}, {1, 1}},
      {"[r, theta] = [2, t] at pi/2",
       eq(kRTheta, vec(n(2), T)),
       0,
       2,
       {"r: ", "theta: ", "t: "},
       {2, kPi / 2, kPi / 2}},
      {"[x, y] = [t, t^2] at 1", eq(kXY, vec(T, f("power", T, n(2)))), 1, 1, {"t: "}, {1}},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.name);
    container.clearGraphs();
    container.zoom(CGraphPlane::Reset);
    setRange(Coordinate::T, -2, 2);
    const CParametricCurve2D& curve = completed(row.text);
    const PixelPoint at{static_cast<int>(std::lround(columnOf(row.x))),
                        static_cast<int>(std::lround(rowOf(row.y)))};
    EXPECT_TRUE(curve.hitTest(at));
    EXPECT_TRUE(curve.hitTest({at.x + 3, at.y}));
    ReadoutRecord record;
    ASSERT_TRUE(curve.readout(at, record));
    ASSERT_EQ(record.lineCount, static_cast<int>(2 + row.labels.size()));
    EXPECT_EQ(record.lines[0].label, "x: ");
    EXPECT_EQ(record.lines[1].label, "y: ");
    EXPECT_NEAR(record.lines[0].value, row.x, 1.0 / 64);
    EXPECT_NEAR(record.lines[1].value, row.y, 1.0 / 64);
    for (std::size_t i = 0; i < row.labels.size(); ++i) {
      EXPECT_EQ(record.lines[i + 2].label, row.labels[i]);
      EXPECT_NEAR(record.lines[i + 2].value, row.values[i], 1.0 / 64);
    }
  }
  // Far from every part of the curve there is nothing to hit.
  container.clearGraphs();
  const CParametricCurve2D& circle = completed(eq(R, n(1)));
  EXPECT_FALSE(circle.hitTest({300, 199}));
  EXPECT_FALSE(circle.nearestPoint(0.0, 0.0, 4.0 / 64).found);
}

TEST_F(ParametricCurveTest, TheReadoutSnapsToACrossingWithAnotherGraph) {
  // The unit circle and y = x cross at (1/sqrt 2, 1/sqrt 2).
  completed(eq(R, n(1)));
  const ObjectPtr diagonal = readObjectText(eq(c("y"), c("x")));
  ASSERT_EQ(buildGraph(container, *prepareForEvaluation(*diagonal), false, {}), 1);
  while (!plane().allComplete()) plane().work(1000);
  const double crossing = std::sqrt(0.5);
  plane().mouseDown(
      {static_cast<int>(std::lround(columnOf(crossing))) + 2, static_cast<int>(std::lround(rowOf(crossing)))},
      0, false);
  ASSERT_EQ(plane().dragMode(), DragMode::Reading);
  EXPECT_NEAR(plane().readout().x, crossing, 1e-9);
  EXPECT_NEAR(plane().readout().y, crossing, 1e-9);
}

TEST_F(ParametricCurveTest, AnEnclosureThatNeverNarrowsCostsAtMostTheFinestStep) {
  // 1e-30 / (t - t + 1e-30) is 1 wherever it is evaluated, but its enclosure over any piece is
  // unbounded: each step is halved ten times, and no more.
  const std::string one = "over[num[1e-30,\"1e-30\"],plus[" + T + ",minus[" + T + "],num[1e-30,\"1e-30\"]]]";
  const CParametricCurve2D& line = completed(eq(kXY, vec(T, one)), 0.0);
  EXPECT_LE(line.trace().size(), 199u * 1024 + 1);
  for (const TracedPoint& p : line.trace()) EXPECT_EQ(p.y, 1.0) << p.t;
  EXPECT_EQ(line.status(), GraphStatus::None);
}

TEST_F(ParametricCurveTest, OddPlanesAndRangesDrawNothingFalseAndNeverFail) {
  // An empty range makes every sample the same point.
  setRange(Coordinate::T, 1, 1);
  CParametricCurve2D& point = completed(eq(kXY, vec(f("cos", T), f("sin", T))));
  for (const TracedPoint& p : point.trace()) {
    if (std::isnan(p.x)) continue;
    EXPECT_DOUBLE_EQ(p.x, std::cos(1.0));
    EXPECT_DOUBLE_EQ(p.y, std::sin(1.0));
  }
  // A range as wide as the doubles.
  setRange(Coordinate::T, -1.7e308, 1.7e308);
  point.work(1);
  EXPECT_TRUE(point.isComplete());
  // A plane with no pixels shows nothing, and nothing can be hit.
  container.layoutChanged({});
  setRange(Coordinate::T, 0, 1);
  point.work(1);
  EXPECT_TRUE(point.isComplete());
  EXPECT_FALSE(point.hitTest({0, 0}));
  ReadoutRecord record;
  EXPECT_FALSE(point.readout({0, 0}, record));
}

} // namespace
} // namespace vexmar
