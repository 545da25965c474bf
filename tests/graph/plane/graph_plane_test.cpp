#include "graph/plane/graph_plane.h"

#include "numeric/error_word.h"
#include "numeric/numeric_state.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

namespace vexmar {
namespace {

// top, left, bottom, right: 600 pixels wide, 400 high.
constexpr PixelRect kWindow{0, 0, 400, 600};
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

void expectSameSettings(const PlaneSettings& actual, const PlaneSettings& expected) {
  EXPECT_EQ(actual.tRange, expected.tRange);
  EXPECT_EQ(actual.rRange, expected.rRange);
  EXPECT_EQ(actual.thetaRange, expected.thetaRange);
  EXPECT_EQ(actual.scale, expected.scale);
  EXPECT_EQ(actual.originColumn, expected.originColumn);
  EXPECT_EQ(actual.originRow, expected.originRow);
  EXPECT_EQ(actual.pixelsPerUnitX, expected.pixelsPerUnitX);
  EXPECT_EQ(actual.pixelsPerUnitY, expected.pixelsPerUnitY);
  EXPECT_EQ(actual.xMin, expected.xMin);
  EXPECT_EQ(actual.yMin, expected.yMin);
  EXPECT_EQ(actual.tickStepCode, expected.tickStepCode);
}

// Planes in a spread of states, each reached through the public operations.
struct PlaneCase {
  const char* name;
  int zoomIns;
  int zoomOuts;
  int panX;
  int panY;
};

constexpr PlaneCase kPlaneCases[] = {
    {"fresh", 0, 0, 0, 0},
    {"zoomed in", 5, 0, 0, 0},
    {"zoomed out", 0, 7, 0, 0},
    {"panned within the window", 0, 0, 123, -57},
    {"origin far off screen", 2, 0, 40000, -25000},
    {"zoomed out and panned", 0, 3, -250, 180},
};

std::unique_ptr<CGraphPlane> makePlane(const PlaneCase& c) {
  auto plane = std::make_unique<CGraphPlane>(kWindow);
  for (int i = 0; i < c.zoomIns; ++i) plane->zoom(CGraphPlane::ZoomIn);
  for (int i = 0; i < c.zoomOuts; ++i) plane->zoom(CGraphPlane::ZoomOut);
  plane->moveAxes(c.panX, c.panY);
  return plane;
}

TEST(GraphPlane, FreshPlaneCentresTheOriginAtSixtyFourPixelsPerUnit) {
  const CGraphPlane plane(kWindow);
  const PlaneMapping& m = plane.mapping();
  EXPECT_EQ(plane.settings().scale, 0.25);
  EXPECT_EQ(plane.settings().tickStepCode, 1);
  EXPECT_EQ(m.pixelsPerUnitX, 64.0);
  EXPECT_EQ(m.pixelsPerUnitY, -64.0);
  EXPECT_EQ(m.originColumn, 300.0);
  EXPECT_EQ(m.originRow, 199.0);
  EXPECT_EQ(m.xOf(kWindow.left), -600.0 / 128);
  EXPECT_EQ(m.xOf(kWindow.right), 600.0 / 128);
  EXPECT_EQ(m.yOf(kWindow.bottom - 1), -200.0 / 64);
  EXPECT_EQ(plane.range(6), (CoordinateRange{0, 1}));
  EXPECT_EQ(plane.range(3), (CoordinateRange{0, 2}));
  EXPECT_EQ(plane.range(4), (CoordinateRange{0, 2 * std::numbers::pi}));

  const AxesLayout axes = plane.layoutAxes();
  EXPECT_TRUE(axes.xAxis.drawn);
  EXPECT_EQ(axes.xAxis.position, 199);
  EXPECT_EQ(axes.yAxis.position, 300);
  EXPECT_EQ(axes.xAxis.step, 1.0);
  EXPECT_EQ(axes.xAxis.first, -4.0);
  EXPECT_EQ(axes.xAxis.last, 4.0);
  EXPECT_EQ(axes.yAxis.first, -3.0);
  EXPECT_EQ(axes.yAxis.last, 3.0);
}

TEST(GraphPlane, EmptyWindowKeepsAVisibleYRange) {
  const CGraphPlane plane(PixelRect{});
  EXPECT_EQ(plane.settings().xMin, 0.0);
  EXPECT_EQ(plane.settings().yMin, -2.0);
}

TEST(GraphPlane, PixelsAndCoordinatesRoundTrip) {
  for (const PlaneCase& c : kPlaneCases) {
    SCOPED_TRACE(c.name);
    const auto owner = makePlane(c);
    const CGraphPlane& plane = *owner;
    const PlaneMapping& m = plane.mapping();
    for (int pixel = -200; pixel <= 800; pixel += 7) {
      EXPECT_EQ(m.columnOf(m.xOf(pixel)), pixel);
      EXPECT_EQ(m.rowOf(m.yOf(pixel)), pixel);
    }
    // A coordinate comes back to within half a pixel.
    const double x0 = m.xOf(kWindow.left);
    const double y0 = m.yOf(kWindow.top);
    for (double f = 0.0; f <= 1.0; f += 0.0625) {
      const double x = x0 + f * 600 * m.unitsPerPixelX;
      const double y = y0 - f * 400 * m.unitsPerPixelY;
      EXPECT_LE(std::fabs(m.xOf(m.columnOf(x)) - x), 0.5 * m.unitsPerPixelX * (1 + 1e-9));
      EXPECT_LE(std::fabs(m.yOf(m.rowOf(y)) - y), 0.5 * m.unitsPerPixelY * (1 + 1e-9));
    }
  }
}

TEST(GraphPlane, PixelsClampToSixteenBitLimits) {
  constexpr int limit = PlaneMapping::kPixelLimit;
  for (const PlaneCase& c : kPlaneCases) {
    SCOPED_TRACE(c.name);
    const auto owner = makePlane(c);
    const CGraphPlane& plane = *owner;
    const PlaneMapping& m = plane.mapping();
    EXPECT_EQ(m.columnOf(m.xAtRightLimit), limit);
    EXPECT_EQ(m.columnOf(m.xAtLeftLimit), -limit);
    EXPECT_EQ(m.rowOf(m.yAtBottomLimit), limit);
    EXPECT_EQ(m.rowOf(m.yAtTopLimit), -limit);
    EXPECT_EQ(m.columnOf(m.xAtRightLimit + 1e6 * m.unitsPerPixelX), limit);
    EXPECT_EQ(m.rowOf(m.yAtTopLimit + 1e6 * m.unitsPerPixelY), -limit);
    EXPECT_EQ(m.columnOf(kInf), limit);
    EXPECT_EQ(m.columnOf(-kInf), -limit);
    EXPECT_EQ(m.rowOf(kInf), -limit);
    EXPECT_EQ(m.columnOf(kNan), -limit);
    // The window lies inside the limits wherever the origin is.
    EXPECT_LT(m.xAtLeftLimit, m.xOf(kWindow.left));
    EXPECT_GT(m.xAtRightLimit, m.xOf(kWindow.right));
    EXPECT_GT(m.yAtTopLimit, m.yOf(kWindow.top));
    EXPECT_LT(m.yAtBottomLimit, m.yOf(kWindow.bottom));
  }
}

TEST(GraphPlane, ZoomWalksTheOneTwoFiveLadder) {
  struct Step {
    double scale; // twice the scale is the ladder value
    int tickStepCode;
    double tickStep;
  };
  const std::vector<Step> out = {
      {0.5, 2, 2}, {1, 5, 5}, {2.5, 1, 10}, {5, 2, 20}, {10, 5, 50}, {25, 1, 100}, {50, 2, 200},
  };
  const std::vector<Step> in = {
      {0.1, 5, 0.5}, {0.05, 2, 0.2}, {0.025, 1, 0.1}, {0.01, 5, 0.05}, {0.005, 2, 0.02}, {0.0025, 1, 0.01},
  };
  for (const auto& [kind, steps] :
       {std::pair{CGraphPlane::ZoomOut, out}, std::pair{CGraphPlane::ZoomIn, in}}) {
    CGraphPlane plane(kWindow);
    for (const Step& step : steps) {
      SCOPED_TRACE(step.scale);
      plane.zoom(kind);
      EXPECT_EQ(plane.settings().scale, step.scale);
      EXPECT_EQ(plane.settings().tickStepCode, step.tickStepCode);
      EXPECT_DOUBLE_EQ(plane.tickStep(), step.tickStep);
      // The origin stays where it was on screen.
      EXPECT_EQ(plane.mapping().originColumn, 300.0);
      EXPECT_EQ(plane.mapping().originRow, 199.0);
    }
  }
}

TEST(GraphPlane, ZoomInThenOutRestoresTheView) {
  for (const PlaneCase& c : kPlaneCases) {
    SCOPED_TRACE(c.name);
    for (const auto& [first, second] : {std::pair{CGraphPlane::ZoomIn, CGraphPlane::ZoomOut},
                                        std::pair{CGraphPlane::ZoomOut, CGraphPlane::ZoomIn}}) {
      const auto owner = makePlane(c);
      CGraphPlane& plane = *owner;
      const PlaneSettings before = plane.settings();
      const PlaneMapping& m = plane.mapping();
      const AxesLayout axes = plane.layoutAxes();
      const double crossingX = m.xOf(axes.yAxis.position);
      const double crossingY = m.yOf(axes.xAxis.position);
      plane.zoom(first);
      // The point where the axes cross keeps its pixel.
      EXPECT_EQ(m.columnOf(crossingX), axes.yAxis.position);
      EXPECT_EQ(m.rowOf(crossingY), axes.xAxis.position);
      plane.zoom(second);
      EXPECT_EQ(plane.settings().scale, before.scale);
      EXPECT_EQ(plane.settings().tickStepCode, before.tickStepCode);
      const double tolerance = 1e-9 * m.unitsPerPixelX;
      EXPECT_NEAR(plane.settings().xMin, before.xMin, tolerance);
      EXPECT_NEAR(plane.settings().yMin, before.yMin, tolerance);
    }
  }
}

TEST(GraphPlane, ZoomKeepsAnOriginBetweenPixelsExactlyInPlace) {
  CGraphPlane plane(kWindow);
  PlaneSettings settings = plane.settings();
  settings.xMin = -300.375 / 64; // origin a fraction of a pixel off the pixel grid
  settings.yMin = -150.625 / 64;
  plane.setSettings(settings);
  const double column = plane.mapping().originColumn;
  const double row = plane.mapping().originRow;
  EXPECT_EQ(column, 300.375);
  for (const auto kind : {CGraphPlane::ZoomIn, CGraphPlane::ZoomIn, CGraphPlane::ZoomOut,
                          CGraphPlane::ZoomOut, CGraphPlane::ZoomOut}) {
    plane.zoom(kind);
    EXPECT_DOUBLE_EQ(plane.mapping().originColumn, column);
    EXPECT_DOUBLE_EQ(plane.mapping().originRow, row);
  }
}

TEST(GraphPlane, ZoomFromAScaleOffTheLadderStepsOntoIt) {
  CGraphPlane plane(kWindow);
  PlaneSettings settings = plane.settings();
  settings.scale = 1.5; // ladder value 3
  plane.setSettings(settings);
  plane.zoom(CGraphPlane::ZoomIn);
  EXPECT_EQ(plane.settings().scale, 1.0);
  plane.setSettings(settings);
  plane.zoom(CGraphPlane::ZoomOut);
  EXPECT_EQ(plane.settings().scale, 2.5);
  settings.scale = 4.0; // ladder value 8
  plane.setSettings(settings);
  plane.zoom(CGraphPlane::ZoomOut);
  EXPECT_EQ(plane.settings().scale, 5.0);
  EXPECT_EQ(plane.settings().tickStepCode, 2);
}

TEST(GraphPlane, ZoomPastTheDoubleRangeKeepsTheViewAndRaisesTheLimitError) {
  for (const auto kind : {CGraphPlane::ZoomIn, CGraphPlane::ZoomOut}) {
    resetNumericState();
    CGraphPlane plane(kWindow);
    for (int i = 0; i < 3000 && pendingError() == Error::None; ++i) plane.zoom(kind);
    EXPECT_EQ(takeError(), Error::DoubleLimits);
    const PlaneSettings last = plane.settings();
    EXPECT_TRUE(std::isnormal(last.scale));
    EXPECT_TRUE(std::isfinite(plane.mapping().pixelsPerUnitX));
    plane.zoom(kind);
    expectSameSettings(plane.settings(), last);
  }
  resetNumericState();
}

TEST(GraphPlane, DraggingAtTheLargestZoomOutKeepsTheViewDrawable) {
  resetNumericState();
  CGraphPlane plane(kWindow);
  for (int i = 0; i < 3000 && pendingError() == Error::None; ++i) plane.zoom(CGraphPlane::ZoomOut);
  EXPECT_EQ(takeError(), Error::DoubleLimits);
  EXPECT_TRUE(plane.takeLimitNotice());
  const int moves[][2] = {{200, 0}, {-200, 0}, {0, 200}, {0, -200}, {150, -150}};
  for (const auto& [dx, dy] : moves) {
    SCOPED_TRACE(std::to_string(dx) + ", " + std::to_string(dy));
    bool refused = false;
    for (int i = 0; i < 100; ++i) {
      const bool moved = plane.moveAxes(dx, dy);
      refused = refused || !moved;
      EXPECT_EQ(moved, !plane.takeLimitNotice());
      const AxesLayout axes = plane.layoutAxes();
      ASSERT_TRUE(axes.xAxis.drawn && axes.yAxis.drawn) << "after " << i << " moves";
      EXPECT_TRUE(std::isfinite(plane.mapping().xOf(kWindow.right)));
      EXPECT_TRUE(std::isfinite(plane.mapping().yOf(kWindow.top)));
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(pendingError(), Error::None);
    // The way back is open.
    EXPECT_TRUE(plane.moveAxes(-dx, -dy));
  }
  // A move along the free axis still goes where the other is held.
  const double yMin = plane.settings().yMin;
  for (int i = 0; i < 100; ++i) plane.moveAxes(200, 0);
  EXPECT_FALSE(plane.moveAxes(200, 50));
  EXPECT_NE(plane.settings().yMin, yMin);
  resetNumericState();
}

TEST(GraphPlane, ZoomAtAPointKeepsThatPointUnderIt) {
  const PixelPoint points[] = {{0, 0}, {123, 45}, {300, 199}, {599, 399}, {17, 350}};
  for (const PlaneCase& c : kPlaneCases) {
    for (const PixelPoint p : points) {
      for (const auto kind : {CGraphPlane::ZoomIn, CGraphPlane::ZoomOut}) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(p.x) + ", " + std::to_string(p.y) +
                     (kind == CGraphPlane::ZoomIn ? " in" : " out"));
        const auto owner = makePlane(c);
        CGraphPlane& plane = *owner;
        const double x = plane.mapping().xOf(p.x), y = plane.mapping().yOf(p.y);
        // The same ladder step as the menu's zoom.
        const auto reference = makePlane(c);
        reference->zoom(kind);
        plane.zoomAt(kind, p);
        EXPECT_EQ(plane.settings().scale, reference->settings().scale);
        EXPECT_EQ(plane.settings().tickStepCode, reference->settings().tickStepCode);
        const double tolerance = 1e-9 * plane.mapping().unitsPerPixelX;
        EXPECT_NEAR(plane.mapping().xOf(p.x), x, std::max(tolerance, 1e-12 * std::fabs(x)));
        EXPECT_NEAR(plane.mapping().yOf(p.y), y, std::max(tolerance, 1e-12 * std::fabs(y)));
      }
    }
  }
}

TEST(GraphPlane, ADoubleClickZoomsInAboutThePointClicked) {
  CGraphPlane plane(kWindow);
  const PixelPoint p{450, 80};
  const double x = plane.mapping().xOf(p.x), y = plane.mapping().yOf(p.y);
  plane.mouseDown(p, 0, true);
  EXPECT_EQ(plane.dragMode(), DragMode::None);
  EXPECT_LT(plane.settings().scale, 0.25);
  EXPECT_DOUBLE_EQ(plane.mapping().xOf(p.x), x);
  EXPECT_DOUBLE_EQ(plane.mapping().yOf(p.y), y);
}

TEST(GraphPlane, ResetRestoresTheDefaults) {
  const CGraphPlane fresh(kWindow);
  for (const PlaneCase& c : kPlaneCases) {
    SCOPED_TRACE(c.name);
    const auto owner = makePlane(c);
    CGraphPlane& plane = *owner;
    EXPECT_TRUE(plane.setRange(6, true, 9.0));
    EXPECT_TRUE(plane.setRange(3, false, -1.0));
    plane.zoom(CGraphPlane::Reset);
    expectSameSettings(plane.settings(), fresh.settings());
  }
  // A restored view the plane cannot show is recovered by a reset, too.
  CGraphPlane plane(kWindow);
  PlaneSettings broken = plane.settings();
  broken.scale = kNan;
  plane.setSettings(broken);
  plane.zoom(CGraphPlane::Reset);
  expectSameSettings(plane.settings(), fresh.settings());
}

TEST(GraphPlane, ARegionIsShownAtTheNearestScaleOfTheLadderCentredOnIt) {
  // The window is 600 x 400 pixels; the region shown is [xMin, xMin + 600 u] x [yMin, yMin + 400 u]
  // for u units per pixel.
  const struct {
    const char* name;
    double xMin, xMax, yMin, yMax;
    double scale;
    std::int32_t tickStepCode;
    double shownXMin, shownYMin;
  } cases[] = {
      {"the default view", -4.6875, 4.6875, -3.125, 3.125, 0.25, 1, -4.6875, -3.125},
      {"a square needing 0.8: 1 is nearer than 0.5", -5, 5, -5, 5, 0.5, 2, -9.375, -6.25},
      {"the unit square off the origin", 0, 1, 0, 1, 0.05, 2, -0.4375, -0.125},
      {"wide and flat: the width decides", -100, 100, -1, 1, 5, 2, -93.75, -62.5},
      {"a ladder value of 2", -23, 27, 10, 20, 1, 5, -16.75, 2.5},
      {"a ladder value of 5", -40, 44, 0, 1, 2.5, 1, -44.875, -30.75},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGraphPlane plane(kWindow);
    ASSERT_TRUE(plane.showRegion(c.xMin, c.xMax, c.yMin, c.yMax));
    EXPECT_DOUBLE_EQ(plane.settings().scale, c.scale);
    EXPECT_EQ(plane.settings().tickStepCode, c.tickStepCode);
    EXPECT_DOUBLE_EQ(plane.settings().xMin, c.shownXMin);
    EXPECT_DOUBLE_EQ(plane.settings().yMin, c.shownYMin);
    EXPECT_DOUBLE_EQ(plane.mapping().xOf(kWindow.left), c.shownXMin);
  }

  CGraphPlane plane(kWindow);
  const PlaneSettings before = plane.settings();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const std::array<double, 4>& bad :
       std::initializer_list<std::array<double, 4>>{{1, 1, 0, 1},
                                                    {2, 1, 0, 1},
                                                    {0, 1, 1, 0},
                                                    {nan, 1, 0, 1},
                                                    {0, 1, -kInf, 1},
                                                    {-1e308, 1e308, 0, 1}}) {
    SCOPED_TRACE(bad[0]);
    EXPECT_FALSE(plane.showRegion(bad[0], bad[1], bad[2], bad[3]));
    expectSameSettings(plane.settings(), before);
  }
}

TEST(GraphPlane, MovingTheAxesShiftsEveryPixelByTheMouseOffset) {
  const int offsets[][2] = {{1, 0}, {0, 1}, {-37, 12}, {250, -300}, {5000, 4000}};
  for (const PlaneCase& c : kPlaneCases) {
    SCOPED_TRACE(c.name);
    for (const auto& [dx, dy] : offsets) {
      const auto owner = makePlane(c);
      CGraphPlane& plane = *owner;
      const PlaneMapping& m = plane.mapping();
      const PlaneSettings before = plane.settings();
      std::vector<std::pair<double, double>> points;
      for (int pixel = 10; pixel < 400; pixel += 37) points.emplace_back(m.xOf(pixel), m.yOf(pixel));
      std::vector<std::pair<int, int>> pixels;
      for (const auto& [x, y] : points) pixels.emplace_back(m.columnOf(x), m.rowOf(y));

      plane.moveAxes(dx, dy);
      EXPECT_NEAR(plane.settings().xMin, before.xMin - dx * m.unitsPerPixelX, 1e-9 * m.unitsPerPixelX);
      EXPECT_NEAR(plane.settings().yMin, before.yMin + dy * m.unitsPerPixelY, 1e-9 * m.unitsPerPixelY);
      EXPECT_EQ(plane.settings().scale, before.scale);
      for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(m.columnOf(points[i].first), pixels[i].first + dx);
        EXPECT_EQ(m.rowOf(points[i].second), pixels[i].second + dy);
      }
    }
  }
}

TEST(GraphPlane, AxesStayInsideTheWindowWhenTheOriginLeavesIt) {
  struct Row {
    const char* name;
    int panX;
    int panY;
    int xAxisRow;
    int yAxisColumn;
  };
  const Row rows[] = {
      {"origin at the centre", 0, 0, 199, 300},
      {"origin far right and below", 1000, 1000, 400 - 18, 600 - 7},
      {"origin far left and above", -1000, -1000, 6, 6},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CGraphPlane plane(kWindow);
    plane.moveAxes(row.panX, row.panY);
    const AxesLayout axes = plane.layoutAxes();
    EXPECT_EQ(axes.xAxis.position, row.xAxisRow);
    EXPECT_EQ(axes.yAxis.position, row.yAxisColumn);
  }
}

TEST(GraphPlane, TickLimitCheck) {
  struct Row {
    const char* name;
    double step;
    double first;
    double last;
    bool within;
  };
  const double p47 = std::ldexp(1.0, 47);
  const Row rows[] = {
      {"ordinary", 1, -10, 10, true},
      {"tiny but in proportion", 1e-300, -1e-299, 1e-299, true},
      {"just within", 1, p47, p47 + 5, true},
      {"just beyond", 1, 2 * p47, 2 * p47 + 5, false},
      {"negative values count by size", 1, -2 * p47, -2 * p47 + 5, false},
      {"step not a number", kNan, 0, 1, false},
      {"zero step", 0, 0, 0, false},
      {"infinite values", 1, -kInf, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(ticksWithinDoubleLimits(row.step, row.first, row.last), row.within);
  }
}

TEST(GraphPlane, AxesBeyondDoublePrecisionRaiseTheLimitErrorAndKeepTheState) {
  resetNumericState();
  CGraphPlane plane(kWindow);
  (void)plane.layoutAxes();
  EXPECT_EQ(pendingError(), Error::None);

  PlaneSettings far = plane.settings();
  far.xMin = 1e20;
  plane.setSettings(far);
  const PlaneSettings before = plane.settings();
  const AxesLayout axes = plane.layoutAxes();
  EXPECT_FALSE(axes.xAxis.drawn);
  EXPECT_TRUE(axes.yAxis.drawn);
  EXPECT_EQ(takeError(), Error::DoubleLimits);
  expectSameSettings(plane.settings(), before);

  // Zooming out from there brings the ticks back within double precision.
  for (int i = 0; i < 60 && !plane.layoutAxes().xAxis.drawn; ++i) plane.zoom(CGraphPlane::ZoomOut);
  EXPECT_TRUE(plane.layoutAxes().xAxis.drawn);
  (void)takeError();

  plane.zoom(CGraphPlane::Reset);
  const AxesLayout reset = plane.layoutAxes();
  EXPECT_TRUE(reset.xAxis.drawn);
  EXPECT_TRUE(reset.yAxis.drawn);
  EXPECT_EQ(pendingError(), Error::None);
  resetNumericState();
}

TEST(GraphPlane, OnlyTheRangesThePlaneHoldsCanBeShownAndSet) {
  const bool held[] = {false, false, false, true, true, false, true, false, false};
  CGraphPlane plane(kWindow);
  for (int index = -1; index <= 9; ++index) {
    SCOPED_TRACE(index);
    const bool expected = index >= 0 && index < 9 && held[index];
    EXPECT_EQ(plane.range(index).has_value(), expected);
    EXPECT_EQ(plane.setRange(index, false, -3.0), expected);
    EXPECT_EQ(plane.setRange(index, true, 7.0), expected);
    if (expected) {
      EXPECT_EQ(plane.range(index), (CoordinateRange{-3.0, 7.0}));
    }
    EXPECT_FALSE(plane.setRange(index, true, kNan));
  }
  EXPECT_EQ(plane.range(3), (CoordinateRange{-3.0, 7.0}));
}

} // namespace
} // namespace vexmar
