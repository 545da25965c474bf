#include "graph/graph_container.h"

#include "graph/graph_picture.h"
#include "model/clock.h"
#include "numeric/error_word.h"
#include "numeric/numeric_state.h"
#include "raster/drawing_port.h"
#include "raster/frame_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace vexmar {
namespace {

constexpr PixelRect kWindow{0, 0, 400, 600};

// A graph that records what the plane asks of it and "computes" one step per work call,
// reading the clock once per step as real graphs do.
class ProbeGraph final : public CGraph2D {
public:
  ProbeGraph(const CGraphPlane& plane, int steps, std::vector<int>* scrolls = nullptr)
      : CGraph2D(plane, nullptr), steps_(steps), scrolls_(scrolls) {}
  void work(std::int64_t budgetMs) override {
    const std::int64_t end = plane_.clock().nowMs() + budgetMs;
    while (done_ < steps_ && plane_.clock().nowMs() < end) ++done_;
    ++workCalls;
  }
  void draw(DrawingPort&) override { ++drawCalls; }
  [[nodiscard]] GraphStatus status() const override { return GraphStatus::CurveOutsideRegion; }
  void invalidate() override {
    done_ = 0;
    ++invalidations;
  }
  [[nodiscard]] bool isComplete() const override { return done_ >= steps_; }
  void resize() override { ++resizes; }
  void scroll(int dx, int dy) override {
    if (scrolls_) scrolls_->insert(scrolls_->end(), {dx, dy});
  }
  [[nodiscard]] bool hitTest(PixelPoint p) const override { return p.y == 100; }
  [[nodiscard]] bool readout(PixelPoint p, ReadoutRecord& record) const override {
    record.kind = 1;
    record.x = plane_.mapping().xOf(p.x);
    record.y = plane_.mapping().yOf(100);
    record.add({"x: ", record.x});
    return true;
  }
  [[nodiscard]] int done() const { return done_; }

  int workCalls = 0;
  int drawCalls = 0;
  int invalidations = 0;
  int resizes = 0;

private:
  int steps_;
  int done_ = 0;
  std::vector<int>* scrolls_;
};

class GraphContainerTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  ProbeGraph& add(int steps, std::vector<int>* scrolls = nullptr) {
    auto graph = std::make_unique<ProbeGraph>(container.plane(), steps, scrolls);
    ProbeGraph& ref = *graph;
    container.plane().addGraph(std::move(graph));
    return ref;
  }

  ManualClock clock{1000, 1};
  CGraphContainer container{kWindow, clock};
};

TEST_F(GraphContainerTest, WorkSharesOneBudgetAmongTheGraphsInListOrder) {
  ProbeGraph& first = add(5);
  ProbeGraph& second = add(1000);
  ProbeGraph& third = add(5);
  container.work(50);
  EXPECT_TRUE(first.isComplete());
  EXPECT_FALSE(second.isComplete());
  // The budget ran out in the second graph: the third never started.
  EXPECT_EQ(third.workCalls, 0);
  EXPECT_GT(second.done(), 0);
  EXPECT_FALSE(container.allComplete());
  for (int i = 0; i < 100 && !container.allComplete(); ++i) container.work(50);
  EXPECT_TRUE(container.allComplete());
}

TEST_F(GraphContainerTest, ResizingKeepsTheMiddleOfTheViewInTheMiddle) {
  CGraphPlane& plane = container.plane();
  plane.layoutChanged({0, 0, 300, 500});
  EXPECT_EQ(plane.mapping().originColumn, 250.0);
  EXPECT_EQ(plane.mapping().originRow, 149.0);
  plane.moveAxes(10, 0);
  const double middleX = plane.mapping().xOf(250), middleY = plane.mapping().yOf(149);
  plane.layoutChanged({0, 0, 400, 600});
  EXPECT_EQ(plane.mapping().xOf(300), middleX);
  EXPECT_EQ(plane.mapping().yOf(199), middleY);
  EXPECT_EQ(plane.settings().scale, 0.25);
  container.zoom(CGraphPlane::Reset);
  plane.layoutChanged({0, 0, 300, 500});
  EXPECT_EQ(plane.mapping().originColumn, 250.0);
  // A graph's samples move with the view: by the middle's move, counted from the left and
  // bottom edges they are kept by.
  std::vector<int> scrolls;
  add(1, &scrolls);
  plane.layoutChanged({0, 0, 300, 700});
  EXPECT_EQ(plane.mapping().originColumn, 350.0);
  plane.moveAxes(1, 0);
  scrolls.clear();
  plane.layoutChanged({0, 0, 500, 700});
  EXPECT_EQ(scrolls, (std::vector<int>{0, -100}));
}

TEST_F(GraphContainerTest, AHighDensityScreenShowsTheSameViewInTwiceThePixels) {
  CGraphContainer dense(PixelRect{}, clock);
  CGraphPlane& plane = dense.plane();
  plane.setPixelRatio(2.0);
  plane.layoutChanged({0, 0, 800, 1200});
  const CGraphPlane& plain = container.plane(); // 600 x 400 at ratio 1
  EXPECT_EQ(plane.mapping().pixelsPerUnitX, 128.0);
  EXPECT_EQ(plane.mapping().xOf(0), plain.mapping().xOf(0));
  EXPECT_EQ(plane.mapping().yOf(799), plain.mapping().yOf(399));
  EXPECT_EQ(plane.tickStep(), plain.tickStep());
  EXPECT_EQ(plane.settings().scale, plain.settings().scale);
  // Panning by device pixels moves half as far.
  plane.moveAxes(64, 0);
  EXPECT_EQ(plane.mapping().xOf(0), plain.mapping().xOf(0) - 0.5);
  // Moving to a plain screen keeps the middle of the view.
  const double middle = plane.mapping().xOf(600);
  plane.setPixelRatio(1.0);
  EXPECT_DOUBLE_EQ(plane.mapping().xOf(600), middle);
  EXPECT_EQ(plane.mapping().pixelsPerUnitX, 64.0);
}

TEST_F(GraphContainerTest, ZoomAndResizeReachEveryGraph) {
  ProbeGraph& graph = add(3);
  container.zoom(CGraphPlane::ZoomIn);
  EXPECT_EQ(graph.invalidations, 1);
  container.layoutChanged({0, 0, 300, 500});
  EXPECT_EQ(graph.resizes, 1);
  EXPECT_EQ(container.plane().mapping().rect, (PixelRect{0, 0, 300, 500}));
}

TEST_F(GraphContainerTest, ZoomInThenOutRestoresTheScaleAndResetRestoresBothSpaces) {
  const double scale = container.plane().settings().scale;
  container.zoom(CGraphPlane::ZoomIn);
  EXPECT_EQ(container.plane().settings().scale, 0.1); // 2s steps from 0.5 down to 0.2
  container.zoom(CGraphPlane::ZoomOut);
  EXPECT_EQ(container.plane().settings().scale, scale);

  container.setActive3D(true);
  container.zoom(CGraphPlane::ZoomIn);
  EXPECT_EQ(container.space3D().range(0)->max, 1.0);
  container.setActive3D(false);
  container.plane().moveAxes(30, 0);
  container.zoom(CGraphPlane::Reset);
  EXPECT_EQ(container.space3D().range(0)->max, 2.0);
  EXPECT_EQ(container.plane().mapping().originColumn, 300.0);
}

TEST_F(GraphContainerTest, StatusAndPropertiesOutsideTheListAreHarmless) {
  add(1);
  EXPECT_EQ(container.status(0), GraphStatus::CurveOutsideRegion);
  EXPECT_EQ(container.status(1), GraphStatus::None);
  EXPECT_EQ(container.status(-1), GraphStatus::None);
  (void)container.plane().takeRedrawRequest();
  container.setProperty(GraphProperty::ColourIndex, 2.0, 7);
  EXPECT_TRUE(container.plane().takeRedrawRequest());
  container.setProperty(GraphProperty::ColourIndex, 2.0, 0);
  EXPECT_EQ(container.plane().graph(0)->style().colour, 0x0000FFu);
}

TEST_F(GraphContainerTest, PressOnAnAxisOrWithControlMovesTheAxesAndScrollsTheGraphs) {
  std::vector<int> scrolls;
  add(1, &scrolls);
  CGraphPlane& plane = container.plane();
  const double xMin = plane.settings().xMin;
  // The x axis lies on row 199 of a 400-pixel plane.
  plane.mouseDown({50, 199}, 0, false);
  EXPECT_EQ(plane.dragMode(), DragMode::MovingAxes);
  plane.mouseMove({60, 195}, {50, 199});
  plane.mouseUp({60, 195});
  EXPECT_EQ(plane.dragMode(), DragMode::None);
  EXPECT_EQ(scrolls, (std::vector<int>{10, -4}));
  EXPECT_DOUBLE_EQ(plane.settings().xMin, xMin - 10.0 / 64);

  plane.mouseDown({50, 100}, MouseModifier::Control, false);
  EXPECT_EQ(plane.dragMode(), DragMode::MovingAxes);
  plane.mouseUp({50, 100});
}

TEST_F(GraphContainerTest, PressOnAGraphStartsAReadoutThatEndsOnRelease) {
  add(1);
  CGraphPlane& plane = container.plane();
  plane.mouseDown({400, 100}, 0, false);
  EXPECT_EQ(plane.dragMode(), DragMode::Reading);
  EXPECT_EQ(plane.readoutGraph(), 0);
  EXPECT_EQ(plane.readout().kind, 1);
  EXPECT_DOUBLE_EQ(plane.readout().x, 100.0 / 64);
  plane.mouseMove({464, 100}, {400, 100});
  EXPECT_DOUBLE_EQ(plane.readout().x, 164.0 / 64);
  EXPECT_FALSE(plane.readoutRegion(false).isEmpty());
  plane.mouseUp({464, 100});
  EXPECT_EQ(plane.readout().kind, 0);
  EXPECT_TRUE(plane.readoutRegion(false).isEmpty());
}

TEST_F(GraphContainerTest, ReadingPastTheEdgeScrollsThePlaneAfterTheMouse) {
  std::vector<int> scrolls;
  add(1, &scrolls);
  CGraphPlane& plane = container.plane();
  plane.mouseDown({590, 100}, 0, false);
  ASSERT_EQ(plane.dragMode(), DragMode::Reading);
  // Far past the right edge: the plane moves left by one step each time the mouse is reported.
  plane.mouseMove({700, 100}, {590, 100});
  plane.mouseMove({700, 100}, {700, 100});
  EXPECT_EQ(scrolls, (std::vector<int>{-16, 0, -16, 0}));
  EXPECT_EQ(plane.readout().kind, 1);
  EXPECT_DOUBLE_EQ(plane.readout().x, plane.mapping().xOf(599));
  plane.mouseUp({700, 100});
}

TEST_F(GraphContainerTest, DoubleClickZoomsIn) {
  container.plane().mouseDown({400, 300}, 0, true);
  EXPECT_EQ(container.plane().settings().scale, 0.1); // 2s steps from 0.5 down to 0.2
  EXPECT_EQ(container.plane().dragMode(), DragMode::None);
}

TEST_F(GraphContainerTest, SettingsRoundTripAndBadRecordsAreRefused) {
  container.zoom(CGraphPlane::ZoomOut);
  container.plane().moveAxes(-17, 23);
  ASSERT_TRUE(container.plane().setRange(6, true, 3.5));
  container.space3D().ranges[3] = {-5, 5};
  const std::vector<std::uint8_t> saved = container.saveSettings();
  ASSERT_EQ(saved.size(), CGraphContainer::kPlaneSettingsBytes + CGraphContainer::kSpaceSettingsBytes);

  CGraphContainer other(kWindow, clock);
  ASSERT_TRUE(other.loadSettings(saved));
  EXPECT_EQ(other.saveSettings(), saved);
  EXPECT_EQ(other.plane().range(6)->max, 3.5);
  EXPECT_EQ(other.space3D().range(0)->min, -5.0);

  std::vector<std::uint8_t> shortRecord(saved.begin(), saved.end() - 1);
  EXPECT_FALSE(other.loadSettings(shortRecord));
  std::vector<std::uint8_t> badScale = saved;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(badScale.data() + 6 * sizeof(double), &nan, sizeof nan);
  CGraphContainer fresh(kWindow, clock);
  const std::vector<std::uint8_t> before = fresh.saveSettings();
  EXPECT_FALSE(fresh.loadSettings(badScale));
  EXPECT_EQ(fresh.saveSettings(), before);
}

TEST_F(GraphContainerTest, ShowRangeListsOnlyRangesTheActiveSpaceHolds) {
  EXPECT_FALSE(container.showRange(0)); // the plane's x comes from its window
  EXPECT_TRUE(container.showRange(4));
  EXPECT_TRUE(container.showRange(4));
  EXPECT_EQ(container.shownRanges(), std::vector<int>{4});
  container.showRange(-1);
  EXPECT_TRUE(container.shownRanges().empty());
  container.setActive3D(true);
  EXPECT_TRUE(container.showRange(0));
}

TEST_F(GraphContainerTest, PictureHasTheAxesOnTheOriginAndTheGraphsOnTop) {
  ProbeGraph& graph = add(1);
  FrameBuffer frame;
  ASSERT_TRUE(frame.resize(600, 400));
  ASSERT_TRUE(drawGraphPicture(container, frame, nullptr));
  EXPECT_EQ(graph.drawCalls, 1);
  // Origin at the centre: the x axis on row 199, the y axis on column 300.
  EXPECT_EQ(frame.pixel(10, 199), 0x000000u);
  EXPECT_EQ(frame.pixel(300, 10), 0x000000u);
  EXPECT_EQ(frame.pixel(10, 10), 0xFFFFFFu);
  // A tick one unit right of the origin crosses the axis.
  EXPECT_EQ(frame.pixel(364, 197), 0x000000u);
  EXPECT_EQ(frame.pixel(363, 197), 0xFFFFFFu);
}

TEST_F(GraphContainerTest, AxesStayAtTheEdgeWhenTheOriginLeavesTheWindow) {
  container.plane().moveAxes(1000, 0);
  FrameBuffer frame;
  ASSERT_TRUE(frame.resize(600, 400));
  ASSERT_TRUE(drawGraphPicture(container, frame, nullptr));
  EXPECT_EQ(frame.pixel(593, 10), 0x000000u); // right - 7
  EXPECT_EQ(takeError(), 0);
}

} // namespace
} // namespace vexmar
