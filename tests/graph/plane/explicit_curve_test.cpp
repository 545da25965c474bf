#include "graph/plane/explicit_curve.h"

#include "../../raster/canvas.h"
#include "graph/plane/graph_plane.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "raster/drawing_port.h"
#include "text/object_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace vexmar {
namespace {

// 600 x 400 pixels at 64 per unit: x = 0 is the middle of column 300, y = 0 of row 199.
constexpr PixelRect kWindow{0, 0, 400, 600};
constexpr int kZeroColumn = 300;
const std::string U = "char[u]";
std::string n(int v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }
const std::string kReciprocal = "over[" + n(1) + "," + U + "]";
const std::string kTan = "tan[" + U + "]";
const std::string kSqrt = "sqrt[" + U + "]";
const std::string kSign = "sgn[" + U + "]";
const std::string kSquare = "power[" + U + "," + n(2) + "]";
const std::string kSinc = "over[sin[" + U + "]," + U + "]";
const std::string kSteepCubic = "times[" + n(20) + ",power[" + U + "," + n(3) + "]]";

struct ExplicitCurveTest : ::testing::Test {
  ExplicitCurveTest() { resetNumericState(); }
  ~ExplicitCurveTest() override { resetNumericState(); }

  std::unique_ptr<CExplicitCurve> curve(const std::string& text, int mode, bool overX = true) {
    ObjectPtr tree = readObjectText(text);
    EXPECT_TRUE(tree) << text;
    return std::make_unique<CExplicitCurve>(plane, std::make_unique<Evaluator>(std::move(tree)), overX,
                                            std::make_unique<GraphStyle>(), mode);
  }
  std::unique_ptr<CExplicitCurve> completed(const std::string& text, int mode, bool overX = true) {
    auto c = curve(text, mode, overX);
    c->work(1);
    EXPECT_TRUE(c->isComplete());
    return c;
  }
  // Rows of a sample's segment, top first.
  std::pair<int, int> rows(const CurveSample& s) const {
    const int a = plane.mapping().rowOf(s.low), b = plane.mapping().rowOf(s.high);
    return {std::min(a, b), std::max(a, b)};
  }

  ManualClock clock;
  CGraphPlane plane{kWindow, clock};
};

void expectSameSamples(std::span<const CurveSample> actual, std::span<const CurveSample> expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(actual[i].kind, expected[i].kind);
    EXPECT_NEAR(actual[i].centre, expected[i].centre, 1e-12);
    if (std::isfinite(expected[i].low)) {
      EXPECT_NEAR(actual[i].low, expected[i].low, 1e-9);
    }
    if (std::isfinite(expected[i].high)) {
      EXPECT_NEAR(actual[i].high, expected[i].high, 1e-9);
    }
  }
}

// The kind each mode gives one telling column, and that every other drawn column is plain curve.
struct KindCase {
  const char* name;
  const std::string& text;
  int column;
  SampleKind fast, bounds, careful;
  int otherPole = -1;
};

TEST_F(ExplicitCurveTest, EachModeClassifiesPolesJumpsAndGaps) {
  const KindCase cases[] = {
      {"1/x at its pole", kReciprocal, kZeroColumn, SampleKind::EdgeSegment, SampleKind::Unbounded,
       SampleKind::Unbounded},
      {"tan x at pi/2", kTan, 401, SampleKind::EdgeSegment, SampleKind::Unbounded, SampleKind::Unbounded,
       199},
      {"sgn x at its jump", kSign, kZeroColumn, SampleKind::EdgeSegment, SampleKind::RangeSegment,
       SampleKind::RangeSegment},
      {"sqrt x where it starts", kSqrt, kZeroColumn, SampleKind::Undefined, SampleKind::RangeSegment,
       SampleKind::RangeSegment},
      {"sqrt x left of 0", kSqrt, 100, SampleKind::Undefined, SampleKind::Undefined, SampleKind::Undefined},
      {"sin x / x at its removable point", kSinc, kZeroColumn, SampleKind::EdgeSegment, SampleKind::Unbounded,
       SampleKind::EdgeSegment},
      {"x^2 at its minimum", kSquare, kZeroColumn, SampleKind::EdgeSegment, SampleKind::RangeSegment,
       SampleKind::EdgeSegment},
  };
  for (const KindCase& c : cases) {
    for (int mode : {0, 1, 2}) {
      SCOPED_TRACE(std::string(c.name) + ", mode " + std::to_string(mode));
      const auto graph = completed(c.text, mode);
      const SampleKind expected = mode == 0 ? c.fast : mode == 1 ? c.bounds : c.careful;
      EXPECT_EQ(graph->samples()[c.column].kind, expected);
      if (mode != 2) continue;
      // Careful mode draws only the asymptote in grey, and never a coloured line across the window.
      for (std::size_t i = 0; i < graph->samples().size(); ++i) {
        const CurveSample& s = graph->samples()[i];
        const bool coloured = s.kind == SampleKind::EdgeSegment || s.kind == SampleKind::RangeSegment;
        const bool atPole = static_cast<int>(i) == c.column || static_cast<int>(i) == c.otherPole;
        EXPECT_TRUE(s.kind != SampleKind::Unbounded || atPole) << i;
        EXPECT_FALSE(coloured && rows(s).first <= 0 && rows(s).second >= 399)
            << "full-height line in column " << i;
      }
    }
  }
}

// Wherever the window lies, careful mode greys exactly the pixels holding a pole and never joins
// the two sides of one in colour.
TEST_F(ExplicitCurveTest, CarefulModeGreysEveryPoleAndOnlyPoles) {
  const std::string shiftedReciprocal =
      "over[" + n(1) + ",plus[" + U + ",minus[over[" + n(1) + "," + n(3) + "]]]]";
  const std::string logOfAbs = "ln[abs[" + U + "]]";
  struct Case {
    const char* name;
    const std::string& text;
    bool (*poleWithin)(double a, double b);
  } cases[] = {
      {"1/x", kReciprocal, [](double a, double b) { return a <= 0 && b >= 0; }},
      {"1/(x - 1/3)", shiftedReciprocal, [](double a, double b) { return a <= 1.0 / 3 && b >= 1.0 / 3; }},
      {"ln |x|", logOfAbs, [](double a, double b) { return a <= 0 && b >= 0; }},
      {"tan x", kTan,
       [](double a, double b) { return std::floor(a / M_PI - 0.5) != std::floor(b / M_PI - 0.5); }},
  };
  struct View {
    int zoomIns, zoomOuts, panX, panY;
  } views[] = {{0, 0, 0, 0}, {0, 0, 37, -20}, {2, 0, -13, 7}, {0, 2, 5, 0}, {1, 0, 101, 3}};
  for (const View& v : views) {
    plane.zoom(CGraphPlane::Reset);
    for (int i = 0; i < v.zoomIns; ++i) plane.zoom(CGraphPlane::ZoomIn);
    for (int i = 0; i < v.zoomOuts; ++i) plane.zoom(CGraphPlane::ZoomOut);
    plane.moveAxes(v.panX, v.panY);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + " in view " + std::to_string(&v - views));
      const auto graph = completed(c.text, 2);
      const double half = plane.mapping().unitsPerPixelX / 2;
      for (std::size_t i = 0; i < graph->samples().size(); ++i) {
        const CurveSample& s = graph->samples()[i];
        const bool pole = c.poleWithin(s.centre - half, s.centre + half);
        EXPECT_EQ(s.kind == SampleKind::Unbounded, pole) << "column " << i;
        EXPECT_FALSE(!pole && rows(s).first <= 0 && rows(s).second >= 399)
            << "full-height line in column " << i;
      }
    }
  }
}

TEST_F(ExplicitCurveTest, CarefulModeRefinesJumpsAndTheEdgeOfTheDomain) {
  const auto sign = completed(kSign, 2);
  EXPECT_EQ(sign->samples()[kZeroColumn].low, -1.0);
  EXPECT_EQ(sign->samples()[kZeroColumn].high, 1.0);
  // The jump's segment reads as a range and snaps a readout anywhere along it.
  ReadoutRecord record;
  ASSERT_TRUE(sign->readout({kZeroColumn, 150}, record));
  EXPECT_EQ(record.kind, 2);
  const CurvePiece onJump = sign->nearestPoint(0.0, 0.5, 4.0 / 64);
  EXPECT_TRUE(onJump.found);
  EXPECT_EQ(onJump.y, 0.5);
  EXPECT_EQ(onJump.dx, 0.0);
  const auto root = completed(kSqrt, 2);
  EXPECT_EQ(root->samples()[kZeroColumn].low, 0.0);
  EXPECT_NEAR(root->samples()[kZeroColumn].high, std::sqrt(0.5 / 64), 1e-12);
}

TEST_F(ExplicitCurveTest, ContinuousCurvesJoinFromColumnToColumn) {
  for (const std::string* text : {&kSquare, &kSteepCubic, &kSinc}) {
    for (int mode : {0, 2}) {
      SCOPED_TRACE(*text + ", mode " + std::to_string(mode));
      const auto graph = completed(*text, mode);
      const auto samples = graph->samples();
      for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1].kind == SampleKind::Undefined || samples[i].kind == SampleKind::Undefined)
          continue;
        const auto [top1, bottom1] = rows(samples[i - 1]);
        const auto [top2, bottom2] = rows(samples[i]);
        EXPECT_TRUE(top2 <= bottom1 + 1 && top1 <= bottom2 + 1) << "gap before column " << i;
      }
    }
  }
}

TEST_F(ExplicitCurveTest, DrawsTheParabolaWhereItMapsAndTheAsymptoteInGrey) {
  test::Canvas canvas(PixelFormatCode::Xrgb8888, 600, 400);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  completed(kSquare, 2)->draw(port);
  const Rgb purple = colourOf(GraphStyle{});
  int checked = 0;
  for (int column = 0; column < 600; ++column) {
    const double x = plane.mapping().xOf(column);
    const int row = plane.mapping().rowOf(x * x);
    if (row < 0 || row >= 400) continue;
    EXPECT_EQ(canvas.rgb(column, row), purple) << column;
    ++checked;
    // Nothing else in the column strays more than a pixel from the curve across that column.
    const double left = x - 0.5 / 64, right = x + 0.5 / 64;
    const int nearRow = plane.mapping().rowOf(std::max(left * left, right * right)) - 1;
    const int farRow = plane.mapping().rowOf(std::min(left * left, right * right)) + 1;
    for (int r = 0; r < 400; ++r)
      EXPECT_TRUE(canvas.isBackground(column, r) || (r >= nearRow && r <= farRow)) << column << ", " << r;
  }
  EXPECT_GT(checked, 100);

  test::Canvas poles(PixelFormatCode::Xrgb8888, 600, 400);
  ASSERT_TRUE(port.attach(poles.target()));
  completed(kReciprocal, 2)->draw(port);
  EXPECT_EQ(poles.rgb(kZeroColumn, 10), (Rgb{0xBF, 0xBF, 0xBF}));
  EXPECT_EQ(poles.rgb(kZeroColumn, 390), (Rgb{0xBF, 0xBF, 0xBF}));
}

TEST_F(ExplicitCurveTest, DrawingStaysInsideThePlaneRectangle) {
  plane.layoutChanged({50, 40, 250, 340});
  test::Canvas canvas(PixelFormatCode::Xrgb8888, 400, 300);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  for (bool overX : {true, false}) completed(kTan, 2, overX)->draw(port);
  EXPECT_GT(canvas.countDrawn(), 200);
  EXPECT_TRUE(canvas.drawnOnlyInside({50, 40, 250, 340}));
  EXPECT_TRUE(canvas.guardsIntact());
}

TEST_F(ExplicitCurveTest, StatusExplainsACurveThatCannotBeSeen) {
  const std::string thousand = n(1000);
  const std::string everywhereInfinite = "over[" + n(1) + ",plus[" + U + ",minus[" + U + "]]]";
  struct Case {
    const char* name;
    const std::string& text;
    int panColumns;
    GraphStatus fast, other;
    bool alsoOverY = true; ///< the same status for x = f(y)
  } cases[] = {
      {"x^2", kSquare, 0, GraphStatus::None, GraphStatus::None},
      {"1/x", kReciprocal, 0, GraphStatus::None, GraphStatus::None},
      {"y = 1000", thousand, 0, GraphStatus::CurveOutsideRegion, GraphStatus::CurveOutsideRegion},
      {"sqrt x, window left of 0", kSqrt, 400, GraphStatus::UndefinedInDomain, GraphStatus::UndefinedInDomain,
       false},
      {"1/(x - x)", everywhereInfinite, 0, GraphStatus::CurveOutsideRegion, GraphStatus::InfiniteInDomain},
  };
  for (const Case& c : cases) {
    plane.zoom(CGraphPlane::Reset);
    plane.moveAxes(c.panColumns, 0);
    for (int mode : {0, 1, 2}) {
      SCOPED_TRACE(std::string(c.name) + ", mode " + std::to_string(mode));
      const auto graph = curve(c.text, mode);
      EXPECT_EQ(graph->status(), GraphStatus::None) << "nothing computed yet";
      graph->work(1);
      EXPECT_EQ(graph->status(), mode == 0 ? c.fast : c.other);
      if (c.alsoOverY) {
        EXPECT_EQ(completed(c.text, mode, false)->status(), mode == 0 ? c.fast : c.other) << "x = f(y)";
      }
    }
  }
}

TEST_F(ExplicitCurveTest, PanningComputesOnlyTheUncoveredPixels) {
  struct Case {
    bool overX;
    int dx, dy, uncovered;
  } cases[] = {
      {true, 10, 0, 10}, {true, -7, 25, 7}, {false, 0, -12, 12}, {false, 30, 5, 5}, {true, 600, 0, 600}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dx) + ", " + std::to_string(c.dy));
    plane.clearGraphs();
    plane.zoom(CGraphPlane::Reset);
    auto* graph = static_cast<CExplicitCurve*>(plane.graph(plane.addGraph(curve(kTan, 2, c.overX))));
    graph->work(1);
    plane.moveAxes(c.dx, c.dy);
    int notComputed = 0;
    for (const CurveSample& s : graph->samples()) notComputed += s.kind == SampleKind::NotComputed;
    EXPECT_EQ(notComputed, c.uncovered);
    // One clock reading for the deadline, then one before each sample computed.
    const int readingsBefore = clock.readings();
    graph->work(1);
    EXPECT_EQ(clock.readings() - readingsBefore, 1 + c.uncovered);
    expectSameSamples(graph->samples(), completed(kTan, 2, c.overX)->samples());
  }
}

TEST_F(ExplicitCurveTest, BudgetStopsWorkWhichResumesWhereItStopped) {
  const auto graph = curve(kTan, 2);
  clock.setStepPerReading(1);
  graph->work(5);
  EXPECT_EQ(graph->progress(), 4u);
  graph->work(5);
  EXPECT_EQ(graph->progress(), 8u);
  EXPECT_FALSE(graph->isComplete());
  clock.setStepPerReading(0);
  graph->work(1);
  expectSameSamples(graph->samples(), completed(kTan, 2)->samples());
  graph->work(0);
  EXPECT_TRUE(graph->isComplete());
}

TEST_F(ExplicitCurveTest, ResizeKeepsTheSamplesThatStillShow) {
  // The middle of the view stays in the middle; a sample still on screen moves with its pixel.
  plane.moveAxes(3, -2);
  for (const bool overX : {true, false}) {
    for (int size : {300, 800}) {
      SCOPED_TRACE(std::to_string(size) + (overX ? " over x" : " over y"));
      plane.layoutChanged(kWindow);
      const int index = plane.addGraph(completed(kTan, 2, overX));
      const auto* graph = static_cast<const CExplicitCurve*>(plane.graph(index));
      const std::vector<CurveSample> before(graph->samples().begin(), graph->samples().end());
      const PixelRect resized = overX ? PixelRect{0, 0, 400, size} : PixelRect{0, 0, size, 600};
      plane.layoutChanged(resized);
      // Columns count from the left edge, rows from the bottom one.
      const long shift = overX ? size / 2 - 300 : (size - 400) - ((size - 1 - size / 2) - 199);
      std::size_t kept = 0;
      for (std::size_t i = 0; i < before.size(); ++i) {
        const long j = static_cast<long>(i) + shift;
        if (j < 0 || j >= static_cast<long>(graph->samples().size())) continue;
        expectSameSamples(graph->samples().subspan(static_cast<std::size_t>(j), 1),
                          std::span(before).subspan(i, 1));
        ++kept;
      }
      EXPECT_GE(kept, 250u);
      EXPECT_FALSE(graph->isComplete());
      plane.graph(index)->work(1);
      expectSameSamples(graph->samples(), completed(kTan, 2, overX)->samples());
      plane.clearGraphs();
    }
  }
}

TEST_F(ExplicitCurveTest, SettingsAndParametersRestartTheCurve) {
  const auto graph = completed(kSquare, 2);
  graph->setProperty(GraphProperty::CurveMode, 1.5);
  EXPECT_TRUE(graph->isComplete());
  graph->setProperty(GraphProperty::CurveMode, 1.0);
  EXPECT_EQ(graph->curveMode(), 1);
  EXPECT_FALSE(graph->isComplete());
  graph->setProperty(GraphProperty::ColourIndex, 2);
  EXPECT_EQ(graph->style().colour, colourForIndex(2));

  numericState().parameters.set("a", "2");
  const auto scaled = completed("times[char[a]," + U + "]", 0);
  EXPECT_DOUBLE_EQ(scaled->samples()[kZeroColumn + 64].high, 2.0 * (1.0 + 0.5 / 64));
  scaled->parameterChanged('b', 5.0);
  EXPECT_TRUE(scaled->isComplete()) << "a letter the curve does not use";
  scaled->parameterChanged('a', 3.0);
  EXPECT_FALSE(scaled->isComplete());
  scaled->work(1);
  EXPECT_DOUBLE_EQ(scaled->samples()[kZeroColumn + 64].high, 3.0 * (1.0 + 0.5 / 64));
}

TEST_F(ExplicitCurveTest, ReadoutHitTestAndNearestPointFollowTheCurve) {
  // Over x the readout reads "x: 1, y: f"; over y, x = f(y) still reads x first.
  for (bool overX : {true, false}) {
    SCOPED_TRACE(overX ? "y = x^2" : "x = y^2");
    const auto graph = curve(kSquare, 0, overX);
    const PixelPoint onCurve{kZeroColumn + 64, 199 - 64}; // (1, 1) lies on both
    ReadoutRecord record;
    EXPECT_FALSE(graph->readout(onCurve, record)) << "not computed yet";
    graph->work(1);
    ASSERT_TRUE(graph->readout(onCurve, record));
    EXPECT_EQ(record.kind, 1);
    EXPECT_EQ(record.lines[0].label, "x: ");
    EXPECT_EQ(record.lines[1].label, "y: ");
    EXPECT_DOUBLE_EQ(record.lines[0].value, 1.0);
    EXPECT_DOUBLE_EQ(record.lines[1].value, 1.0);

    EXPECT_TRUE(graph->hitTest(onCurve));
    EXPECT_TRUE(
        graph->hitTest(overX ? PixelPoint{onCurve.x, onCurve.y + 4} : PixelPoint{onCurve.x + 4, onCurve.y}));
    EXPECT_FALSE(graph->hitTest(overX ? PixelPoint{onCurve.x, onCurve.y + 12}
                                      : PixelPoint{onCurve.x + 12, onCurve.y}));

    const CurvePiece piece = graph->nearestPoint(1.0, 1.01, 4.0 / 64);
    ASSERT_TRUE(piece.found);
    EXPECT_DOUBLE_EQ(overX ? piece.y : piece.x, overX ? 1.0 : 1.0201);
    EXPECT_NEAR(overX ? piece.dy / piece.dx : piece.dx / piece.dy, overX ? 2.0 : 2.02, 1e-9);
    EXPECT_FALSE(graph->nearestPoint(1.0, 2.0, 4.0 / 64).found);

    graph->setProperty(GraphProperty::CurveMode, 1.0);
    graph->work(1);
    ASSERT_TRUE(graph->readout(onCurve, record));
    EXPECT_EQ(record.kind, 2);
    EXPECT_TRUE(record.lines[overX ? 1 : 0].isRange);
    EXPECT_LE(record.lines[overX ? 1 : 0].value, 1.0);
    EXPECT_GE(record.lines[overX ? 1 : 0].high, 1.0);
  }
}

TEST_F(ExplicitCurveTest, AnEmptyPlaneHasNothingToDo) {
  plane.layoutChanged({});
  const auto graph = curve(kSquare, 2);
  graph->work(10);
  EXPECT_TRUE(graph->isComplete());
  EXPECT_EQ(graph->status(), GraphStatus::None);
  EXPECT_FALSE(graph->hitTest({0, 0}));
}

} // namespace
} // namespace vexmar
