#include "graph/plane/density_plot.h"

#include "../../raster/canvas.h"
#include "graph/plane/contour_plot.h"
#include "grid_graph_fixture.h"
#include "raster/drawing_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace vexmar {
namespace {

using namespace test;

using DensityPlotTest = GridGraphTest;

// How many cells do not hold the level of the function's value at their middle pixel, by the
// plot's own range of values.
int cellsOffTheirMiddle(const CDensityPlot& plot, const PlaneMapping& m,
                        const std::function<double(double, double)>& value) {
  const int size = plot.cellSize();
  int mismatches = 0;
  for (int j = 0; j < plot.rows(); ++j) {
    for (int i = 0; i < plot.columns(); ++i) {
      const double z = value(m.xOf(i * size + (size - 1) * 0.5), m.yOf(j * size + (size - 1) * 0.5));
      const std::uint8_t cell = plot.cells()[static_cast<std::size_t>(j * plot.columns() + i)];
      if (std::isnan(z)) {
        mismatches += cell != CDensityPlot::kUndefined;
        continue;
      }
      const double level = std::clamp((z - plot.low()) * 240 / (plot.high() - plot.low()), 0.0, 239.0);
      // A value on the boundary of two levels may round either way.
      mismatches += std::fabs(cell - std::floor(level)) > 1.0;
    }
  }
  return mismatches;
}

TEST_F(DensityPlotTest, PlotStyleChoosesTheKindInThePlane) {
  const std::string function = zIs(f("times", X, Y));
  EXPECT_NE(build<CDensityPlot>(function, 2.0, 0.5), nullptr);
  EXPECT_NE(build<CContourPlot>(function, 3.0, 0.5), nullptr);
  // Surfaces belong to space; other styles make nothing.
  for (const double style : {1.0, 0.0, 2.5, 4.0}) {
    SCOPED_TRACE(style);
    const ObjectPtr tree = readObjectText(function);
    GraphBuildSettings settings;
    settings.plotStyle = style;
    EXPECT_EQ(buildGraph(container, *prepareForEvaluation(*tree), false, settings), -1);
  }
  EXPECT_EQ(container.plane().graphCount(), 2);
}

TEST_F(DensityPlotTest, CellSizeFollowsTheResolution) {
  struct Row {
    double resolution;
    int cellSize;
  };
  for (const Row row : {Row{0.0, 6}, Row{0.05, 4}, Row{0.1, 4}, Row{0.2, 3}, Row{0.25, 2}, Row{0.4, 2},
                        Row{0.45, 1}, Row{1.0, 1}, Row{-3.0, 6}, Row{7.0, 1}, Row{std::nan(""), 6}}) {
    SCOPED_TRACE(row.resolution);
    EXPECT_EQ(24 / CDensityPlot::bandsFor(row.resolution), row.cellSize);
  }
  const auto& fine = completed<CDensityPlot>(zIs(X), 2.0, 1.0);
  EXPECT_EQ(fine.cellSize(), 1);
  EXPECT_EQ(fine.columns(), 600);
  EXPECT_EQ(fine.rows(), 400);
  const auto& coarse = completed<CDensityPlot>(zIs(X), 2.0, 0.0);
  EXPECT_EQ(coarse.cellSize(), 6);
  EXPECT_EQ(coarse.columns(), 100);
  EXPECT_EQ(coarse.rows(), 67); // the last row of cells is cut by the edge
}

TEST_F(DensityPlotTest, AConstantPaintsEveryPixelInTheFullColour) {
  auto& plot = completed<CDensityPlot>(zIs(n(1)), 2.0, 0.0);
  EXPECT_EQ(plot.status(), GraphStatus::None);
  for (const std::uint8_t cell : plot.cells()) ASSERT_EQ(cell, CDensityPlot::kLevelCount - 1);

  test::Canvas canvas(PixelFormatCode::Xrgb8888, 600, 400);
  DrawingPort port;
  ASSERT_TRUE(port.attach(canvas.target()));
  plot.draw(port);
  const Rgb full = colourOf(plot.style());
  for (int y = 0; y < 400; ++y)
    for (int x = 0; x < 600; ++x) ASSERT_EQ(canvas.rgb(x, y), full) << x << ", " << y;
  EXPECT_TRUE(canvas.guardsIntact());
}

TEST_F(DensityPlotTest, UndefinedEverywhereReportsIt) {
  const std::string nowhere = zIs(f("sqrt", f("plus", f("minus", n(1)), f("minus", f("power", X, n(2))))));
  auto& plot = completed<CDensityPlot>(nowhere, 2.0, 0.0);
  EXPECT_EQ(plot.status(), GraphStatus::UndefinedInRegion);
  // Half undefined is still a graph.
  EXPECT_EQ(completed<CDensityPlot>(zIs(f("sqrt", X)), 2.0, 0.0).status(), GraphStatus::None);
}

// Each cell's level, worked out from the function's value at the cell's middle pixel: the grid
// evaluation must agree with the plain formula, r and θ being the polar coordinates of the point.
TEST_F(DensityPlotTest, EveryCellHasTheLevelOfItsMiddle) {
  const FunctionRow rows[] = {
      {"z = x y + sin x", zIs(f("plus", f("times", X, Y), f("sin", X))),
       [](double x, double y) { return x * y + std::sin(x); }},
      {"z = r", zIs(R), [](double x, double y) { return std::hypot(x, y); }},
      {"z = theta", zIs(Theta), polarAngle},
      {"z = x r", zIs(f("times", X, R)), [](double x, double y) { return x * std::hypot(x, y); }},
      {"expression y theta", f("times", Y, Theta), [](double x, double y) { return y * polarAngle(x, y); }},
      {"z = sqrt(x) - y", zIs(f("plus", f("sqrt", X), f("minus", Y))),
       [](double x, double y) { return x < 0 ? std::nan("") : std::sqrt(x) - y; }},
  };
  for (const FunctionRow& row : rows) {
    SCOPED_TRACE(row.name);
    auto& plot = completed<CDensityPlot>(row.text, 2.0, 0.1);
    ASSERT_GT(plot.high(), plot.low());
    EXPECT_EQ(cellsOffTheirMiddle(plot, mapping(), row.value), 0);
  }
}

// Dragging the plane by whole cells keeps the computed cells and the range of values; any other
// move starts again. Either way every cell ends with the level of its middle.
TEST_F(DensityPlotTest, ScrollingKeepsWholeCellsAndTheirColours) {
  const auto value = [](double x, double y) { return x * y + std::sin(x); };
  const std::string text = zIs(f("plus", f("times", X, Y), f("sin", X)));
  struct Row {
    const char* name;
    double resolution;
    int dx, dy;
    bool kept;
  };
  for (const Row& row :
       {Row{"one-pixel cells", 1.0, 7, -5, true}, Row{"whole cells", 0.0, -12, 18, true},
        Row{"part of a cell", 0.0, 7, 0, false}, Row{"beyond the window", 1.0, 700, 0, false}}) {
    SCOPED_TRACE(row.name);
    container.plane().clearGraphs();
    container.plane().zoom(CGraphPlane::Reset);
    auto& plot = completed<CDensityPlot>(text, 2.0, row.resolution);
    const double low = plot.low(), high = plot.high();
    container.plane().moveAxes(row.dx, row.dy);
    EXPECT_FALSE(plot.isComplete());
    if (row.kept) {
      // The cell that moved into the top left corner is the one that was dx, dy cells away.
      const int size = plot.cellSize();
      const int column = std::max(0, row.dx / size), line = std::max(0, row.dy / size);
      EXPECT_NE(plot.cells()[static_cast<std::size_t>(line * plot.columns() + column)],
                CDensityPlot::kNotComputed);
    }
    plot.work(1);
    EXPECT_EQ(plot.low() == low && plot.high() == high, row.kept);
    EXPECT_EQ(cellsOffTheirMiddle(plot, mapping(), value), 0);
  }
}

TEST_F(DensityPlotTest, PaletteRunsInBandsFromDarkToTheFullColour) {
  auto& plot = completed<CDensityPlot>(zIs(X), 2.0, 0.0);
  const Rgb colour = colourOf(plot.style());
  const auto palette = plot.palette();
  // Four bands of 60 levels.
  const auto scaled = [&](double factor) {
    return Rgb{static_cast<std::uint8_t>(colour.red * factor),
               static_cast<std::uint8_t>(colour.green * factor),
               static_cast<std::uint8_t>(colour.blue * factor)};
  };
  EXPECT_EQ(palette[0], scaled(0.26));
  EXPECT_EQ(palette[59], scaled(0.26));
  EXPECT_EQ(palette[60], scaled(0.26 + 0.74 / 3));
  EXPECT_EQ(palette[239], colour);
  // Left is low, right is high; the range reaches the window's edges, the cells' middles not quite.
  EXPECT_LE(plot.cells()[0], 2);
  EXPECT_GE(plot.cells()[static_cast<std::size_t>(plot.columns() - 1)], CDensityPlot::kLevelCount - 3);
}

TEST_F(DensityPlotTest, WorkInSlicesGivesTheSamePicture) {
  const std::string text = zIs(f("sin", f("times", X, Y)));
  const auto whole = completed<CDensityPlot>(text, 2.0, 1.0).cells();
  const std::vector<std::uint8_t> expected(whole.begin(), whole.end());

  CDensityPlot* sliced = build<CDensityPlot>(text, 2.0, 1.0);
  ASSERT_NE(sliced, nullptr);
  clock.setStepPerReading(1);
  int slices = 0;
  while (!sliced->isComplete() && slices < 100000) {
    sliced->work(2);
    ++slices;
  }
  EXPECT_GT(slices, 10);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sliced->cells().begin(), sliced->cells().end()));
}

TEST_F(DensityPlotTest, ParameterAndResolutionChangesStartAgain) {
  auto& plot = completed<CDensityPlot>(zIs(f("sqrt", f("plus", X, f("minus", c("a"))))), 2.0, 0.0);
  EXPECT_EQ(plot.status(), GraphStatus::None);
  container.parameterChanged('a', 100.0);
  EXPECT_FALSE(plot.isComplete());
  plot.work(1);
  EXPECT_EQ(plot.status(), GraphStatus::UndefinedInRegion);

  container.plane().setProperty(GraphProperty::Resolution, 1.0, 0);
  EXPECT_FALSE(plot.isComplete());
  plot.work(1);
  EXPECT_EQ(plot.cellSize(), 1);
}

TEST_F(DensityPlotTest, ReadoutShowsTheValueUnderTheMouse) {
  auto& plot = completed<CDensityPlot>(zIs(f("times", X, Y)), 2.0, 0.5);
  const PixelPoint at{300 + 64, 200 - 128}; // (1, 2)
  ASSERT_TRUE(plot.hitTest(at));
  ReadoutRecord record;
  ASSERT_TRUE(plot.readout(at, record));
  ASSERT_EQ(record.lineCount, 3);
  EXPECT_DOUBLE_EQ(record.lines[2].value, record.x * record.y);
  EXPECT_NEAR(record.lines[2].value, 2.0, 0.1);
  // A press on the plot reads it.
  container.plane().mouseDown(at, 0, false);
  EXPECT_EQ(container.plane().dragMode(), DragMode::Reading);
  EXPECT_EQ(container.plane().readout().lineCount, 3);
  container.plane().mouseUp(at);
  auto& half = completed<CDensityPlot>(zIs(f("sqrt", X)), 2.0, 0.5);
  EXPECT_FALSE(half.hitTest({10, 10}));
  EXPECT_FALSE(half.readout({10, 10}, record));
}

} // namespace
} // namespace vexmar
