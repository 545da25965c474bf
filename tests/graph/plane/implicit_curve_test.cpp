#include "graph/plane/implicit_curve.h"

#include "../../raster/canvas.h"
#include "graph/graph_builder.h"
#include "graph/graph_container.h"
#include "graph/graph_picture.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "raster/drawing_port.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace vexmar {
namespace {

// 300 x 200 pixels at 64 per unit: x from about -2.3 to 2.3, y from about -1.6 to 1.6.
constexpr PixelRect kWindow{0, 0, 200, 300};
constexpr int kWidth = 300;
constexpr int kHeight = 200;

std::string c(const std::string& letter) { return "char[" + letter + "]"; }
std::string n(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
std::string f(const std::string& name, const std::string& a, const std::string& b) {
  return name + "[" + a + "," + b + "]";
}
std::string sq(const std::string& a) { return f("power", a, n(2)); }
std::string plus(const std::string& a, const std::string& b) { return f("plus", a, b); }
const std::string X = c("x");
const std::string Y = c("y");
const std::string kRadiusSquared = plus(sq(X), sq(Y));

struct ImplicitCurveTest : ::testing::Test {
  ImplicitCurveTest() { resetNumericState(); }
  ~ImplicitCurveTest() override { resetNumericState(); }

  CImplicitCurve& build(const std::string& text, double curveMode = 2.0) {
    const ObjectPtr tree = readObjectText(text);
    EXPECT_TRUE(tree) << "bad text form in the test: " << text;
    GraphBuildSettings settings;
    settings.curveMode = curveMode;
    const int index = buildGraph(container, *prepareForEvaluation(*tree), false, settings);
    auto* curve = dynamic_cast<CImplicitCurve*>(plane().graph(index));
    EXPECT_NE(curve, nullptr) << text;
    return *curve;
  }
  CImplicitCurve& completed(const std::string& text, double curveMode = 2.0) {
    CImplicitCurve& curve = build(text, curveMode);
    curve.work(1); // the clock stands still: the budget never runs out
    EXPECT_TRUE(curve.isComplete());
    return curve;
  }
  CGraphPlane& plane() { return container.plane(); }
  [[nodiscard]] double xOf(double column) const { return container.plane().mapping().xOf(column); }
  [[nodiscard]] double yOf(double row) const { return container.plane().mapping().yOf(row); }
  static std::vector<int> codes(const CImplicitCurve& curve) {
    std::vector<int> all;
    for (int row = 0; row < kHeight; ++row)
      for (int column = 0; column < kWidth; ++column) all.push_back(curve.codeAt({column, row}));
    return all;
  }

  ManualClock clock;
  CGraphContainer container{kWindow, clock};
};

// A relation checked by point evaluation alone, independently of the interval arithmetic: the
// picture must show every pixel where some point satisfies it, and nothing where no point near
// it does.
struct Relation {
  const char* name;
  std::string text;
  std::function<bool(double, double)> holds; ///< the relation at a point
  bool isEquation;                           ///< then `holds` tells the side of the curve
};

TEST_F(ImplicitCurveTest, EveryPixelTheRelationReachesIsDrawnAndNoPixelFarFromItIs) {
  const Relation relations[] = {
      {"circle", f("equal", kRadiusSquared, n(2)), [](double x, double y) { return x * x + y * y < 2; },
       true},
      {"hyperbola", f("equal", f("times", X, Y), n(0.5)), [](double x, double y) { return x * y < 0.5; },
       true},
      {"sine against cosine",
       f("equal", "sin[" + f("times", n(3), X) + "]", "cos[" + f("times", n(2), Y) + "]"),
       [](double x, double y) { return std::sin(3 * x) < std::cos(2 * y); }, true},
      {"disc", f("lessthan", kRadiusSquared, n(1)), [](double x, double y) { return x * x + y * y < 1; },
       false},
      {"below the square root, which is undefined left of the axis", f("lessthan", Y, "sqrt[" + X + "]"),
       [](double x, double y) { return x >= 0 && y < std::sqrt(x); }, false},
      {"between two curves", "lessthan[" + f("times", X, X) + "," + Y + "," + n(1) + "]",
       [](double x, double y) { return x * x < y && y < 1; }, false},
  };
  for (const Relation& relation : relations) {
    SCOPED_TRACE(relation.name);
    CImplicitCurve& curve = completed(relation.text);
    int drawn = 0;
    for (int row = 0; row < kHeight; ++row) {
      for (int column = 0; column < kWidth; ++column) {
        // A 7 x 7 lattice over the pixel, and one over the pixel with its neighbours.
        const auto anyOver = [&](double reach, bool wanted) {
          bool first = relation.holds(xOf(column - reach), yOf(row - reach));
          for (int i = 0; i <= 6; ++i)
            for (int j = 0; j <= 6; ++j) {
              const bool here = relation.holds(xOf(column - reach + 2 * reach * i / 6),
                                               yOf(row - reach + 2 * reach * j / 6));
              if (relation.isEquation ? here != first : here == wanted) return true;
              first = here;
            }
          return false;
        };
        const int code = curve.codeAt({column, row});
        if (code != 0) ++drawn;
        // Equations: a change of side within the pixel means the curve passes through it.
        if (anyOver(0.5, true)) {
          EXPECT_NE(code, 0) << "missing pixel " << column << ", " << row;
        }
        if (!anyOver(1.5, true)) {
          EXPECT_EQ(code, 0) << "invented pixel " << column << ", " << row;
        }
        if (!relation.isEquation && !anyOver(0.5, false)) {
          EXPECT_EQ(code, 3) << "pixel wholly inside " << column << ", " << row;
        }
      }
    }
    EXPECT_GT(drawn, 0);
    plane().clearGraphs();
  }
}

TEST_F(ImplicitCurveTest, StatusTellsWhereTheRelationFails) {
  struct Row {
    const char* name;
    std::string text;
    GraphStatus status;
  };
  const Row rows[] = {
      {"a circle of imaginary radius", f("equal", kRadiusSquared, n(-1)), GraphStatus::NotSatisfiedAnywhere},
      {"a circle outside the window", f("equal", kRadiusSquared, n(100)), GraphStatus::NotSatisfiedInRegion},
      {"x < x", f("lessthan", X, X), GraphStatus::FalseEverywhere},
      {"a disc of negative size", f("lessthan", kRadiusSquared, n(-1)), GraphStatus::FalseEverywhere},
      {"a half-plane out of sight", f("greaterthan", X, n(100)), GraphStatus::FalseInRegion},
      {"a disc", f("lessthan", kRadiusSquared, n(4)), GraphStatus::None},
      {"a circle", f("equal", kRadiusSquared, n(1)), GraphStatus::None},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const CImplicitCurve& curve = completed(row.text);
    EXPECT_EQ(curve.status(), row.status);
    plane().clearGraphs();
  }
  EXPECT_EQ(
      completed(f("equal", "sqrt[" + f("plus", n(-1), "minus[" + kRadiusSquared + "]") + "]", n(0))).status(),
      GraphStatus::NotSatisfiedAnywhere)
      << "undefined everywhere";
}

TEST_F(ImplicitCurveTest, LargeBoxesAreSettledWithoutLookingAtEveryPixel) {
  const CImplicitCurve& disc = completed(f("lessthan", kRadiusSquared, n(1)));
  // One interval evaluation a pixel is what deciding every pixel on its own costs.
  EXPECT_LT(disc.intervalEvaluations(), kWidth * kHeight / 10);
  const CImplicitCurve& circle = completed(f("equal", kRadiusSquared, n(1)));
  EXPECT_LT(circle.intervalEvaluations(), kWidth * kHeight / 10);
}

TEST_F(ImplicitCurveTest, WorkResumesWhereTheBudgetStoppedIt) {
  const std::string text = f("equal", "sin[" + f("times", X, Y) + "]", n(0.3));
  const std::vector<int> whole = codes(completed(text));
  plane().clearGraphs();
  clock.setStepPerReading(1);
  CImplicitCurve& curve = build(text);
  int calls = 0;
  while (!curve.isComplete() && calls < 100000) {
    curve.work(5);
    ++calls;
  }
  EXPECT_GT(calls, 10);
  EXPECT_TRUE(codes(curve) == whole);
}

TEST_F(ImplicitCurveTest, AScrolledMapMatchesOneComputedThere) {
  const std::string text = f("lessthan", f("times", X, Y), n(0.5));
  CImplicitCurve& curve = completed(text);
  ASSERT_TRUE(plane().moveAxes(37, -23));
  curve.work(1);
  ASSERT_TRUE(curve.isComplete());
  const std::vector<int> scrolled = codes(curve);
  curve.invalidate();
  curve.work(1);
  EXPECT_TRUE(codes(curve) == scrolled);
  // Moved half-way through, the queued rectangles move too.
  curve.invalidate();
  clock.setStepPerReading(1);
  curve.work(20);
  clock.setStepPerReading(0);
  ASSERT_FALSE(curve.isComplete());
  ASSERT_TRUE(plane().moveAxes(-37, 23));
  curve.work(1);
  const std::vector<int> back = codes(curve);
  curve.invalidate();
  curve.work(1);
  EXPECT_TRUE(codes(curve) == back);
}

TEST_F(ImplicitCurveTest, ParameterValuesSeenBeforeAreAnsweredFromTheCache) {
  numericState().parameters.set("a", "1");
  CImplicitCurve& curve = completed(f("equal", kRadiusSquared, c("a")));
  std::vector<std::vector<int>> maps;
  for (const double a : {0.5, 1.0, 2.0}) {
    curve.parameterChanged('a', a);
    EXPECT_FALSE(curve.isComplete());
    curve.work(1);
    maps.push_back(codes(curve));
  }
  EXPECT_FALSE(maps[0] == maps[2]);
  const int computed = curve.mapsComputed();
  const std::int64_t evaluations = curve.intervalEvaluations();
  // Back and forth over the same values: nothing is computed again.
  for (int pass = 0; pass < 2; ++pass) {
    for (int i : {2, 0, 1}) {
      curve.parameterChanged('a', std::vector{0.5, 1.0, 2.0}[static_cast<std::size_t>(i)]);
      EXPECT_TRUE(curve.isComplete());
      EXPECT_TRUE(codes(curve) == maps[static_cast<std::size_t>(i)]) << "value " << i;
    }
  }
  EXPECT_EQ(curve.mapsComputed(), computed);
  EXPECT_EQ(curve.intervalEvaluations(), evaluations);
  EXPECT_EQ(curve.cachedMaps(), 3u);

  // A letter the relation does not use changes nothing; a zoom makes every cached map stale.
  curve.parameterChanged('b', 7.0);
  EXPECT_EQ(curve.cachedMaps(), 3u);
  plane().zoom(CGraphPlane::ZoomIn);
  EXPECT_EQ(curve.cachedMaps(), 0u);
  curve.work(1);
  curve.parameterChanged('a', 0.5);
  EXPECT_FALSE(curve.isComplete());
}

TEST_F(ImplicitCurveTest, TheAnimatedLetterIsCachedToo) {
  numericState().animatedVariable = 'n';
  CImplicitCurve& curve = completed(f("lessthan", kRadiusSquared, c("n")));
  curve.parameterChanged('n', 1.0);
  curve.work(1);
  const std::vector<int> small = codes(curve);
  curve.parameterChanged('n', 2.0);
  curve.work(1);
  EXPECT_FALSE(codes(curve) == small);
  const int computed = curve.mapsComputed();
  curve.parameterChanged('n', 1.0);
  EXPECT_TRUE(curve.isComplete());
  EXPECT_TRUE(codes(curve) == small);
  EXPECT_EQ(curve.mapsComputed(), computed);
}

TEST_F(ImplicitCurveTest, InequalitiesFollowTheCurveMode) {
  // x <= y <= x holds on a line only: no box of it is wholly true.
  const std::string line = "leq[" + X + "," + Y + "," + X + "]";
  const CImplicitCurve& careful = completed(line, 2.0);
  const CImplicitCurve& bounded = completed(line, 1.0);
  const CImplicitCurve& fast = completed(line, 0.0);
  int carefulCount = 0, boundedCount = 0, fastCount = 0;
  for (int column = 0; column < kWidth; ++column)
    for (int row = 0; row < kHeight; ++row) {
      carefulCount += careful.codeAt({column, row}) != 0;
      boundedCount += bounded.codeAt({column, row}) == 1;
      fastCount += fast.codeAt({column, row}) == 1;
    }
  // The line crosses one or two pixels a row of the window; mode 1 marks all it may cross.
  EXPECT_GE(carefulCount, kHeight);
  EXPECT_LE(carefulCount, 3 * kHeight);
  EXPECT_GE(boundedCount, carefulCount);
  EXPECT_EQ(fastCount, 0) << "mode 0 decides every pixel by one point";
}

TEST_F(ImplicitCurveTest, TheReadoutMovesOntoTheCurve) {
  CImplicitCurve& circle = completed(f("equal", kRadiusSquared, n(1)));
  const PlaneMapping& m = plane().mapping();
  // A point two pixels outside the circle, on the diagonal.
  const double d = (1 + 2.0 / 64) / std::numbers::sqrt2;
  const PixelPoint near{m.columnOf(d), m.rowOf(d)};
  EXPECT_TRUE(circle.hitTest(near));
  ReadoutRecord record;
  ASSERT_TRUE(circle.readout(near, record));
  EXPECT_NEAR(std::hypot(record.x, record.y), 1.0, 1e-6);
  EXPECT_NEAR(record.x, record.y, 1e-3);
  const CurvePiece piece = circle.nearestPoint(0.0, 1.01, 0.1);
  ASSERT_TRUE(piece.found);
  EXPECT_NEAR(piece.y, 1.0, 1e-6);
  EXPECT_NEAR(piece.dy / piece.dx, 0.0, 1e-3) << "the tangent at the top is level";
  EXPECT_FALSE(circle.nearestPoint(0.0, 0.0, 0.1).found) << "too far";
  EXPECT_FALSE(circle.hitTest({m.columnOf(0), m.rowOf(0)}));

  // A region is no curve to read.
  const CImplicitCurve& disc = completed(f("lessthan", kRadiusSquared, n(1)));
  EXPECT_FALSE(disc.readout(near, record));
  EXPECT_FALSE(disc.nearestPoint(0.0, 1.0, 0.1).found);
}

// A region is painted before the axes, which stay seen across it; a curve goes over them.
TEST_F(ImplicitCurveTest, RegionsLieBeneathTheAxes) {
  const CImplicitCurve& disc = completed(f("lessthan", kRadiusSquared, n(1)));
  const PlaneMapping& m = plane().mapping();
  test::Canvas canvas(PixelFormatCode::Xrgb8888, kWidth, kHeight);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  plane().draw(port, DrawFlag::All);
  const auto at = [&](double x, double y) { return canvas.rgb(m.columnOf(x), m.rowOf(y)); };
  EXPECT_TRUE(at(0.5, 0.5) == colourOf(disc.style()));
  // Black: a region painted over the axes would have darkened its own colour there instead.
  EXPECT_TRUE(at(0.5, 0.0) == (Rgb{0, 0, 0})) << "the x axis crosses the disc";
  EXPECT_TRUE(at(0.0, 0.5) == (Rgb{0, 0, 0})) << "the y axis crosses the disc";
  EXPECT_FALSE(completed(f("equal", kRadiusSquared, n(1))).drawsBeneathAxes());
}

} // namespace
} // namespace vexmar
