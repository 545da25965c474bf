#include "graph/space/graph_space_3d.h"

#include "model/clock.h"

#include <gtest/gtest.h>

namespace vexmar {
namespace {

// top, left, bottom, right: 600 pixels wide, 400 high, centre (300, 200).
constexpr PixelRect kWindow{0, 0, 400, 600};

void expectNear(const Matrix3& actual, const Matrix3& expected, double tolerance) {
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

TEST(GraphSpace3DTest, ADragTurnsThePictureAndLeavesItSpinning) {
  CGraphSpace3D space(kWindow);
  space.mouseDown({280, 200}, 0, false);
  space.mouseMove({320, 200}, {280, 200});
  // Trackball radius 0.4 * 400 = 160 about the view's centre.
  const Matrix3 step = trackballRotation(280, 200, 320, 200, 300, 200, 160);
  expectNear(space.orientation, step, 1e-12);
  EXPECT_EQ(space.spin, step);
  EXPECT_TRUE(space.spinning);
  EXPECT_TRUE(space.takeRedrawRequest());

  // No spin step while the button holds the picture; after release each step turns it once more.
  space.work(10);
  expectNear(space.orientation, step, 1e-12);
  space.mouseUp({320, 200});
  space.work(10);
  expectNear(space.orientation, multiply(step, step), 1e-12);
  // The camera follows: it looks along minus the orientation's first column.
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_NEAR(space.camera().forward()[i], -space.orientation[3 * i], 1e-15);
}

TEST(GraphSpace3DTest, AClickStopsTheSpinWithoutTurning) {
  CGraphSpace3D space(kWindow);
  space.setProperty(4, -0.05, 0);
  ASSERT_TRUE(space.spinning);
  space.work(10);
  const Matrix3 turned = space.orientation;
  space.mouseDown({300, 200}, 0, false);
  space.mouseUp({300, 200});
  EXPECT_EQ(space.orientation, turned);
  EXPECT_EQ(space.spin, kIdentity3);
  EXPECT_FALSE(space.spinning);
  space.work(10);
  EXPECT_EQ(space.orientation, turned);
}

TEST(GraphSpace3DTest, AxisSpinsTurnAboutTheBoxAxes) {
  for (int code = 2; code <= 4; ++code) {
    SCOPED_TRACE(code);
    CGraphSpace3D space(kWindow);
    space.orientation = defaultOrientation();
    space.setProperty(code, 0.1, 0);
    for (int step = 0; step < 5; ++step) space.work(10);
    expectNear(space.orientation, multiply(axisRotation(code - 2, 0.5), defaultOrientation()), 1e-12);
    space.setProperty(1, 0, 0);
    const Matrix3 held = space.orientation;
    space.work(10);
    EXPECT_EQ(space.orientation, held);
  }
}

TEST(GraphSpace3DTest, MovesOutsideAGestureOrBelowTheCoarseStepAreIgnored) {
  CGraphSpace3D space(kWindow);
  space.mouseMove({320, 220}, {300, 200});
  EXPECT_EQ(space.orientation, kIdentity3);

  space.mouseDown({300, 200}, MouseModifier::Control, false);
  space.mouseMove({302, 201}, {300, 200});
  EXPECT_EQ(space.orientation, kIdentity3);
  EXPECT_FALSE(space.spinning);
  // The coarse ball has radius max(600, 400).
  space.mouseMove({303, 201}, {302, 201});
  expectNear(space.orientation, trackballRotation(300, 200, 303, 201, 300, 200, 600), 1e-12);
}

TEST(GraphSpace3DTest, OnlyAReleaseAfterHoldingStillStopsTheSpin) {
  struct Row {
    const char* name;
    std::int64_t pauseMs;
    bool moveAgain;       // a drag step to a new point after the pause
    bool reportStillMove; // the view reports a drag step at the resting point
    bool spinsAfter;
  };
  const Row rows[] = {
      {"released while moving", 10, false, false, true},
      {"released at exactly the limit", 20, false, false, true},
      {"held still, then released", 25, false, false, false},
      {"held still, step reported", 25, false, true, false},
      {"paused, then moved on", 25, true, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ManualClock clock(1000);
    CGraphSpace3D space(kWindow, &clock);
    space.mouseDown({280, 200}, 0, false);
    space.mouseMove({300, 200}, {280, 200});
    clock.advance(row.pauseMs);
    PixelPoint last{300, 200};
    if (row.moveAgain) {
      space.mouseMove({310, 205}, last);
      last = {310, 205};
    }
    if (row.reportStillMove) space.mouseMove(last, last);
    space.mouseUp(last);
    EXPECT_EQ(space.spinning, row.spinsAfter);
    EXPECT_EQ(space.spin != kIdentity3, row.spinsAfter);
  }
}

TEST(GraphSpace3DTest, ZoomScalesEachBoxRangeAboutItsOwnCentre) {
  struct Row {
    const char* name;
    int kind;
    CoordinateRange centred;
    CoordinateRange offCentre;
  };
  const Row rows[] = {
      {"in", 0, {-1, 1}, {1, 3}},
      {"out", 1, {-4, 4}, {-2, 6}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CGraphSpace3D space(kWindow);
    ASSERT_TRUE(space.setRange(2, false, 0) && space.setRange(2, true, 4));
    space.zoom(row.kind);
    EXPECT_EQ(*space.range(0), row.centred);
    EXPECT_EQ(*space.range(1), row.centred);
    EXPECT_EQ(*space.range(2), row.offCentre);
    // Only the box ranges change.
    EXPECT_EQ(*space.range(6), (CoordinateRange{0, 1}));
  }
}

} // namespace
} // namespace vexmar
