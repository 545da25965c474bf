#include "graph/plane/contour_plot.h"

#include "../../raster/canvas.h"
#include "grid_graph_fixture.h"
#include "raster/drawing_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

using namespace test;

using ContourPlotTest = GridGraphTest;

TEST_F(ContourPlotTest, NoLineForAConstantOrAnUndefinedFunction) {
  const std::string nowhere = zIs(f("sqrt", f("plus", f("minus", n(1)), f("minus", f("power", X, n(2))))));
  for (const std::string& text : {zIs(n(1)), nowhere, f("times", n(0), f("times", X, Y))}) {
    SCOPED_TRACE(text);
    auto& plot = completed<CContourPlot>(text, 3.0, 0.5);
    EXPECT_TRUE(plot.segments().empty());
    EXPECT_EQ(plot.status(), GraphStatus::UndefinedOrConstantInRegion);
  }
  EXPECT_EQ(completed<CContourPlot>(zIs(f("sqrt", X)), 3.0, 0.5).status(), GraphStatus::None);
}

TEST_F(ContourPlotTest, LevelCountFollowsTheResolutionAndLevelsLieEvenlyInside) {
  struct Row {
    double resolution;
    int levels;
  };
  for (const Row row : {Row{0.0, 4}, Row{0.5, 14}, Row{1.0, 24}, Row{-1.0, 4}, Row{2.0, 24}}) {
    SCOPED_TRACE(row.resolution);
    auto& plot = completed<CContourPlot>(zIs(X), 3.0, row.resolution);
    ASSERT_EQ(plot.levels().size(), static_cast<std::size_t>(row.levels));
    // z = x runs from the left edge to the right edge of the window.
    const double left = mapping().xOf(-0.5);
    const double right = mapping().xOf(599.5);
    const double step = (right - left) / (row.levels + 1);
    for (int k = 0; k < row.levels; ++k)
      EXPECT_NEAR(plot.levels()[static_cast<std::size_t>(k)], left + (k + 1) * step, 1e-9);
  }
}

TEST_F(ContourPlotTest, ResolutionChangeRetracesTheSameSamples) {
  auto& plot = completed<CContourPlot>(zIs(f("times", X, Y)), 3.0, 0.0);
  EXPECT_EQ(plot.levels().size(), 4u);
  // With a budget that runs out at once each slice does one row of cells: the lines of 50 rows are
  // found again, and the 51 rows of samples are not taken again.
  clock.setStepPerReading(1);
  container.plane().setProperty(GraphProperty::Resolution, 1.0, 0);
  int slices = 0;
  while (!plot.isComplete() && slices < 1000) {
    plot.work(1);
    ++slices;
  }
  EXPECT_EQ(slices, CContourPlot::kGridCells);
  EXPECT_EQ(plot.levels().size(), 24u);
  EXPECT_FALSE(plot.segments().empty());
}

// Level lines of functions of the distance from the origin are circles: every traced point lies on
// the circle of its level, and each circle inside the window closes, every point shared by exactly
// two pieces.
TEST_F(ContourPlotTest, RadialFunctionsTraceClosedCirclesAtTheirRadii) {
  struct Row {
    const char* name;
    std::string text;
    std::function<double(double)> radiusOf; ///< of a level
  };
  const Row rows[] = {
      {"z = x^2 + y^2", zIs(f("plus", f("power", X, n(2)), f("power", Y, n(2)))),
       [](double level) { return std::sqrt(level); }},
      {"z = r", zIs(R), [](double level) { return level; }},
      {"expression r^2 - 1", f("plus", f("power", R, n(2)), f("minus", n(1))),
       [](double level) { return std::sqrt(level + 1); }},
  };
  // Linear interpolation across a cell of about 0.19 units strays this little from a circle.
  constexpr double kTolerance = 0.01;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto& plot = completed<CContourPlot>(row.text, 3.0, 1.0);
    ASSERT_EQ(plot.levels().size(), 24u);
    std::map<std::pair<double, double>, int> ends;
    int closedLevels = 0;
    for (std::size_t k = 0; k < plot.levels().size(); ++k) {
      const double radius = row.radiusOf(plot.levels()[k]);
      ends.clear();
      for (const ContourSegment& s : plot.segments()) {
        if (s.level != static_cast<int>(k)) continue;
        EXPECT_NEAR(std::hypot(s.x0, s.y0), radius, kTolerance);
        EXPECT_NEAR(std::hypot(s.x1, s.y1), radius, kTolerance);
        ++ends[{s.x0, s.y0}];
        ++ends[{s.x1, s.y1}];
      }
      // Circles wholly inside the window (y reaches about 3.1) close.
      if (radius > 3.0) continue;
      ASSERT_GT(ends.size(), 8u) << "level " << k;
      ++closedLevels;
      for (const auto& [point, count] : ends) EXPECT_EQ(count, 2) << point.first << ", " << point.second;
    }
    EXPECT_GT(closedLevels, 2);
  }
}

// Every end of every piece lies on its level, to a small part of the spacing of the levels: no
// piece is drawn across a pole or along a jump, and steep functions are followed closely. Pieces
// shorter than a pixel are left out: beside a jump one may end where the jump starts.
TEST_F(ContourPlotTest, EveryTracedPointLiesOnItsLevel) {
  const FunctionRow rows[] = {
      {"z = theta, which jumps along the positive x axis", zIs(Theta), polarAngle},
      {"z = x + sgn y", zIs(f("plus", X, f("sgn", Y))),
       [](double x, double y) { return x + (y > 0) - (y < 0); }},
      {"z = 1 / (x y)", zIs(f("over", n(1), f("times", X, Y))),
       [](double x, double y) { return 1 / (x * y); }},
      {"z = tan x", zIs(f("tan", X)), [](double x, double) { return std::tan(x); }},
      {"z = sin(1 / x)", zIs(f("sin", f("over", n(1), X))), [](double x, double) { return std::sin(1 / x); }},
      {"z = x y", zIs(f("times", X, Y)), [](double x, double y) { return x * y; }},
  };
  for (const FunctionRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto& plot = completed<CContourPlot>(row.text, 3.0, 0.5);
    ASSERT_GE(plot.levels().size(), 2u);
    ASSERT_FALSE(plot.segments().empty());
    const double tolerance = 1e-3 * (plot.levels()[1] - plot.levels()[0]);
    int off = 0;
    for (const ContourSegment& s : plot.segments()) {
      if (std::hypot(s.x1 - s.x0, s.y1 - s.y0) < mapping().unitsPerPixelX) continue;
      const double level = plot.levels()[static_cast<std::size_t>(s.level)];
      const bool bad = !(std::fabs(row.value(s.x0, s.y0) - level) <= tolerance) ||
                       !(std::fabs(row.value(s.x1, s.y1) - level) <= tolerance);
      if (bad && off++ < 3) ADD_FAILURE() << s.x0 << ", " << s.y0 << " to " << s.x1 << ", " << s.y1;
    }
    EXPECT_EQ(off, 0);
  }
}

TEST_F(ContourPlotTest, NoLineIsDrawnAcrossAPole) {
  // Every level of 1/x is crossed between the two sides of x = 0, where no level line runs.
  auto& plot = completed<CContourPlot>(zIs(f("over", n(1), X)), 3.0, 1.0);
  ASSERT_FALSE(plot.segments().empty());
  const double cellWidth = (mapping().xOf(599.5) - mapping().xOf(-0.5)) / CContourPlot::kGridCells;
  for (const ContourSegment& s : plot.segments()) {
    // Lines of 1/x are vertical, at x = 1/level.
    const double x = 1.0 / plot.levels()[static_cast<std::size_t>(s.level)];
    EXPECT_NEAR(s.x0, x, cellWidth);
    EXPECT_NEAR(s.x1, x, cellWidth);
  }
}

TEST_F(ContourPlotTest, LevelsNearAPoleSpanTheBulkOfTheValues) {
  // The samples nearest the axes reach thousands; levels spread up to them would all be traced
  // within a few pixels of the origin. The hyperbolas x y = 1 / level must reach out into the window.
  auto& plot = completed<CContourPlot>(zIs(f("over", n(1), f("times", X, Y))), 3.0, 0.5);
  int farOut = 0;
  for (const ContourSegment& s : plot.segments()) {
    const double level = plot.levels()[static_cast<std::size_t>(s.level)];
    EXPECT_NEAR(s.x0 * s.y0 * level, 1.0, 0.2) << s.x0 << ", " << s.y0;
    farOut += std::fabs(s.x0) > 1.0 && std::fabs(s.y0) > 1.0;
  }
  EXPECT_GT(farOut, 20);
}

TEST_F(ContourPlotTest, SaddleCellsKeepTheBranchesApart) {
  // (x - a)(y - b) = c, for a small c, is a hyperbola whose branches lie in opposite quarters around
  // (a, b): the level line passes close by the saddle at (a, b) without crossing from one quarter to
  // another. a is sought so that the eighth of 14 levels is c, with (a, b) well inside a cell.
  const double b = 0.55;
  const auto product = [&](double a) {
    return f("times", f("plus", X, f("minus", exactNumber(a))), f("plus", Y, f("minus", exactNumber(b))));
  };
  // The third lies between 0 and the value at the cell's middle: there the corners' mean misjudges.
  for (const double c : {0.002, -0.002, 0.00007}) {
    SCOPED_TRACE(c);
    double low = -0.36, high = -0.28;
    for (int step = 0; step < 60; ++step) {
      const double middle = (low + high) / 2;
      (completed<CContourPlot>(product(middle), 3.0, 0.5).levels()[7] < c ? low : high) = middle;
    }
    const double a = (low + high) / 2;
    auto& plot = completed<CContourPlot>(product(a), 3.0, 0.5);
    ASSERT_NEAR(plot.levels()[7], c, 1e-9);
    int nearSaddle = 0;
    for (const ContourSegment& s : plot.segments()) {
      if (s.level != 7) continue;
      EXPECT_GE((s.x0 - a) * (s.x1 - a), 0.0) << s.x0 << ", " << s.y0 << " to " << s.x1 << ", " << s.y1;
      EXPECT_GE((s.y0 - b) * (s.y1 - b), 0.0) << s.x0 << ", " << s.y0 << " to " << s.x1 << ", " << s.y1;
      nearSaddle += std::hypot((s.x0 + s.x1) / 2 - a, (s.y0 + s.y1) / 2 - b) < 0.15;
    }
    EXPECT_GE(nearSaddle, 2);
  }
}

// The lines are in coordinates: while they are found again for a moved or resized window the old
// ones are still drawn, and they still lie on the levels. A new parameter value makes them wrong.
TEST_F(ContourPlotTest, MovingThePlaneKeepsTheOldLinesUntilTheNewAreFound) {
  auto& plot = completed<CContourPlot>(zIs(f("times", c("a"), R)), 3.0, 0.5);
  const std::vector<ContourSegment> before(plot.segments().begin(), plot.segments().end());
  ASSERT_FALSE(before.empty());
  container.plane().moveAxes(40, -30);
  EXPECT_FALSE(plot.isComplete());
  EXPECT_EQ(plot.shownSegments().size(), before.size());
  EXPECT_EQ(plot.shownSegments().front().x0, before.front().x0);
  plot.work(1);
  ASSERT_TRUE(plot.isComplete());
  EXPECT_EQ(plot.shownSegments().data(), plot.segments().data());
  EXPECT_NE(plot.segments().front().x0, before.front().x0);

  container.plane().layoutChanged({0, 0, 300, 500});
  EXPECT_FALSE(plot.shownSegments().empty());
  container.parameterChanged('a', 2.0);
  EXPECT_TRUE(plot.shownSegments().empty());
}

TEST_F(ContourPlotTest, DrawsInTheStyleColourAndReadsTheValue) {
  auto& plot = completed<CContourPlot>(zIs(R), 3.0, 0.0);
  test::Canvas canvas(PixelFormatCode::Xrgb8888, 600, 400);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  plot.draw(port);
  EXPECT_GT(canvas.countDrawn(), 200);
  const Rgb colour = colourOf(plot.style());
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x)
      if (!canvas.isBackground(x, y)) {
        ASSERT_EQ(canvas.rgb(x, y), colour);
      }

  // A point on the line of the first level.
  const double radius = plot.levels()[0];
  const PixelPoint on{mapping().columnOf(radius), mapping().rowOf(0.0)};
  EXPECT_TRUE(plot.hitTest(on));
  EXPECT_FALSE(plot.hitTest({300, 199}));
  ReadoutRecord record;
  ASSERT_TRUE(plot.readout(on, record));
  ASSERT_EQ(record.lineCount, 3);
  EXPECT_NEAR(record.lines[2].value, radius, 1.0 / 64);
  const CurvePiece piece = plot.nearestPoint(radius + 0.01, 0.0, 0.1);
  ASSERT_TRUE(piece.found);
  EXPECT_NEAR(std::hypot(piece.x, piece.y), radius, 0.01);
}

} // namespace
} // namespace vexmar
