#include "graph/space/graph_space_3d.h"

#include "graph/graph_container.h"
#include "graph/graph_picture.h"
#include "graph/space/graph_3d.h"
#include "model/clock.h"
#include "raster/drawing_port.h"
#include "raster/frame_buffer.h"
#include "raster/rasteriser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace vexmar {
namespace {

// top, left, bottom, right: 600 pixels wide, 400 high, centre (300, 200).
constexpr PixelRect kWindow{0, 0, 400, 600};

void expectNear(const Matrix3& actual, const Matrix3& expected, double tolerance) {
  for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

// A graph that is complete after a set number of computing steps, records what the space asks
// of it and, when told, draws one triangle facing the eye through the box centre.
class FakeGraph final : public CGraph3D {
public:
  FakeGraph(const CGraphSpace3D& space, int steps, double radius = 0.5)
      : CGraph3D(space, nullptr), steps_(steps), radius_(radius) {}

  void compute(std::int64_t budgetMs) override {
    budgets.push_back(budgetMs);
    if (done_ < steps_) ++done_;
  }
  void render(const SpaceFrame& frame) override {
    ++renderCalls;
    if (!drawsTriangle) return;
    // Wide enough to cover the top of the box from any side.
    const Vector3& up = frame.camera.screenUp();
    const Vector3& right = frame.camera.screenRight();
    auto corner = [&](double alongRight, double alongUp) {
      const Vector3 p{alongRight * right[0] + alongUp * up[0], alongRight * right[1] + alongUp * up[1],
                      alongRight * right[2] + alongUp * up[2]};
      const ProjectedPoint screen = frame.camera.project(p);
      RasterVertex v;
      v.x = static_cast<float>(screen.x);
      v.y = static_cast<float>(screen.y);
      v.z = static_cast<float>(screen.depth);
      v.r = 1;
      return v;
    };
    frame.rasteriser.clipTriangle(corner(-4, -2), corner(4, -2), corner(0, 4));
    ++frame.counters.trianglesDrawn;
  }
  [[nodiscard]] GraphStatus status() const override { return GraphStatus::None; }
  bool dependsOn(std::uint16_t) override { return false; }
  void setOption(int code, double value) override { options.emplace_back(code, value); }
  void invalidate() override {
    done_ = 0;
    ++invalidations;
  }
  [[nodiscard]] bool isComplete() const override { return done_ >= steps_; }
  [[nodiscard]] double boundingRadius() const override { return radius_; }
  [[nodiscard]] bool hitTest(PixelPoint point, const Camera&) const override { return point == hitPoint; }

  std::vector<std::int64_t> budgets;
  std::vector<std::pair<int, double>> options;
  int renderCalls = 0;
  int invalidations = 0;
  bool drawsTriangle = false;
  PixelPoint hitPoint{-1, -1};

private:
  int steps_;
  int done_ = 0;
  double radius_;
};

FakeGraph& addFake(CGraphSpace3D& space, int steps, double radius = 0.5) {
  auto graph = std::make_unique<FakeGraph>(space, steps, radius);
  FakeGraph& added = *graph;
  space.addGraph(std::move(graph));
  return added;
}

// Records the labels the space writes; each character 6 pixels wide, the text 10 high.
class LabelRecorder final : public TextRenderer {
public:
  [[nodiscard]] TextExtent extent(std::string_view text) const override {
    return {static_cast<int>(text.size()) * 6, 10, 8};
  }
  void draw(const PixelTarget&, PixelRect, PixelPoint topLeft, std::string_view text, Rgb) override {
    labels.emplace_back(std::string(text), topLeft);
  }
  std::vector<std::pair<std::string, PixelPoint>> labels;
};

// One frame of the space in a 600 x 400 buffer with depth, cleared to white.
FrameBuffer drawnFrame(CGraphSpace3D& space, unsigned flags = DrawFlag::All, TextRenderer* text = nullptr) {
  FrameBuffer frame;
  EXPECT_TRUE(frame.resize(kWindow.width(), kWindow.height()));
  EXPECT_TRUE(frame.beginFrame({255, 255, 255}));
  EXPECT_TRUE(frame.beginDrawing());
  DrawingPort port(text);
  EXPECT_TRUE(port.attach(frame.target(), frame.depthBuffer()));
  space.draw(port, flags);
  port.detach();
  frame.endDrawing();
  EXPECT_TRUE(frame.endFrame());
  return frame;
}

std::uint32_t pixelAt(const FrameBuffer& frame, const ProjectedPoint& p) {
  return frame.pixel(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y)));
}

template <typename Predicate> int countPixels(const FrameBuffer& frame, Predicate wanted) {
  int count = 0;
  for (int y = 0; y < frame.height(); ++y)
    for (int x = 0; x < frame.width(); ++x) count += wanted(frame.pixel(x, y)) ? 1 : 0;
  return count;
}

bool isRed(std::uint32_t pixel) { return pixel == 0xFF0000u; }
// The box's lines: grey, not the white background.
bool isGrey(std::uint32_t pixel) {
  return pixel != 0xFFFFFFu && (pixel >> 16 & 0xFF) == (pixel & 0xFF) &&
         (pixel >> 8 & 0xFF) == (pixel & 0xFF);
}

TEST(GraphSpace3DTest, ADragTurnsThePictureAndLeavesItSpinning) {
  CGraphSpace3D space(kWindow);
  const Matrix3 start = space.orientation;
  space.mouseDown({280, 200}, 0, false);
  space.mouseMove({320, 200}, {280, 200});
  // Trackball radius 0.4 * 400 = 160 about the view's centre.
  const Matrix3 step = trackballRotation(280, 200, 320, 200, 300, 200, 160);
  expectNear(space.orientation, multiply(start, step), 1e-12);
  EXPECT_EQ(space.spin, step);
  EXPECT_TRUE(space.spinning);
  EXPECT_TRUE(space.takeRedrawRequest());

  // No spin step while the button holds the picture; after release each step turns it once more.
  space.work(10);
  expectNear(space.orientation, multiply(start, step), 1e-12);
  space.mouseUp({320, 200});
  space.work(10);
  expectNear(space.orientation, multiply(multiply(start, step), step), 1e-12);
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
  const Matrix3 start = space.orientation;
  space.mouseMove({320, 220}, {300, 200});
  EXPECT_EQ(space.orientation, start);

  space.mouseDown({300, 200}, MouseModifier::Control, false);
  space.mouseMove({302, 201}, {300, 200});
  EXPECT_EQ(space.orientation, start);
  EXPECT_FALSE(space.spinning);
  // The coarse ball has radius max(600, 400).
  space.mouseMove({303, 201}, {302, 201});
  expectNear(space.orientation, multiply(start, trackballRotation(300, 200, 303, 201, 300, 200, 600)), 1e-12);
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

TEST(GraphSpace3DTest, AResetViewStartsTurningSlowlyAboutTheBoxZAxis) {
  CGraphSpace3D space(kWindow);
  space.setViewAngles(10, 10);
  ASSERT_TRUE(space.setRange(0, true, 7));
  space.setProperty(1, 0, 0);
  space.zoom(2);
  const CGraphSpace3D constructed(kWindow);
  for (const CGraphSpace3D* fresh : {static_cast<const CGraphSpace3D*>(&space), &constructed}) {
    EXPECT_EQ(fresh->orientation, defaultOrientation());
    EXPECT_EQ(fresh->spin, spinAboutAxis(defaultOrientation(), 2, -0.05));
    EXPECT_TRUE(fresh->spinning);
    EXPECT_EQ(*fresh->range(0), (CoordinateRange{-2, 2}));
    EXPECT_EQ(fresh->viewingDistance(), defaultViewingDistance());
  }
  space.work(10);
  expectNear(space.orientation, multiply(axisRotation(2, -0.05), defaultOrientation()), 1e-12);
}

TEST(GraphSpace3DTest, GraphsShareTheBudgetAndTheSpinWaitsUntilAllAreComplete) {
  ManualClock clock(1000);
  CGraphSpace3D space(kWindow, &clock);
  FakeGraph& first = addFake(space, 2);
  FakeGraph& second = addFake(space, 1);
  const Matrix3 start = space.orientation;

  // Each reading of the clock takes 4 ms: the first graph gets what is left, the second too.
  clock.setStepPerReading(4);
  space.work(20);
  EXPECT_EQ(first.budgets, std::vector<std::int64_t>{16});
  EXPECT_EQ(second.budgets, std::vector<std::int64_t>{12});
  EXPECT_EQ(space.orientation, start) << "the first graph is still computing";

  // A budget used up before the second graph's turn leaves it out.
  space.work(6);
  EXPECT_EQ(first.budgets.size(), 2u);
  EXPECT_EQ(second.budgets.size(), 1u);
  EXPECT_NE(space.orientation, start);

  clock.setStepPerReading(0);
  const Matrix3 turned = space.orientation;
  space.mouseDown({100, 100}, 0, false);
  space.setProperty(4, 0.1, 0);
  space.work(10);
  EXPECT_EQ(space.orientation, turned) << "a held button keeps the picture still";
  space.mouseUp({100, 100});
  (void)space.takeRedrawRequest();
  space.work(10);
  EXPECT_NE(space.orientation, turned);
  EXPECT_TRUE(space.takeRedrawRequest());
}

TEST(GraphSpace3DTest, TheLargestRadiusStartsByTheBoxAndGrowsWithTheGraphs) {
  struct Row {
    const char* name;
    double zMax;
    double graphRadius;
    double expected;
  };
  const Row rows[] = {
      {"centred, small graph", 2, 0.5, 1.2},
      {"centred, graph reaching the corners", 2, 1.7, 1.7},
      {"off centre", 3, 0.5, 2.0},
      {"off centre, larger graph", 3, 2.5, 2.5},
      {"graph without a finite radius", 2, std::numeric_limits<double>::infinity(), 1.2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ManualClock clock;
    CGraphSpace3D space(kWindow, &clock);
    addFake(space, 1, row.graphRadius);
    ASSERT_TRUE(space.setRange(2, true, row.zMax));
    space.work(10);
    EXPECT_EQ(space.largestRadius(), row.expected);
  }
}

TEST(GraphSpace3DTest, ZoomAnimatesTwoStepsThenLandsOnTheScaledRanges) {
  struct Row {
    const char* name;
    int kind;
    std::vector<double> maxima;
  };
  const Row rows[] = {
      {"in", 0, {1.6, 2 * 0.8 * 0.8, 1}},
      {"out", 1, {2.5, 2 * 1.25 * 1.25, 4}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ManualClock clock;
    CGraphSpace3D space(kWindow, &clock);
    FakeGraph& graph = addFake(space, 100);
    std::vector<double> seen;
    space.setRedrawNow([&] { seen.push_back(space.range(1)->max); });
    space.zoom(row.kind);
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(seen[i], row.maxima[i]) << "step " << i;
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_EQ(*space.range(axis), (CoordinateRange{-row.maxima[2], row.maxima[2]}));
    // Every step samples afresh over its ranges.
    EXPECT_EQ(graph.invalidations, 3);
    EXPECT_EQ(graph.budgets, (std::vector<std::int64_t>{10, 10, 10}));
  }
}

TEST(GraphSpace3DTest, ViewAnglesPlaceTheEyeWithZUp) {
  struct Row {
    double azimuth;
    double elevation;
  };
  const Row rows[] = {{0, 0}, {90, 0}, {30, 20}, {-135, -45}, {200, 60}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.azimuth << ", " << row.elevation);
    CGraphSpace3D space(kWindow);
    const Matrix3 spin = space.spin;
    space.setViewAngles(row.azimuth, row.elevation);
    const double az = row.azimuth * std::numbers::pi / 180;
    const double el = row.elevation * std::numbers::pi / 180;
    const Vector3 eye{50 * std::cos(el) * std::cos(az), 50 * std::cos(el) * std::sin(az), 50 * std::sin(el)};
    for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(space.camera().eye()[i], eye[i], 1e-12);
    EXPECT_NEAR(space.camera().screenUp()[2], std::cos(el), 1e-12);
    // The box's z axis points up the screen, and the right vector to the right.
    const ProjectedPoint centre = space.camera().project({0, 0, 0});
    EXPECT_LT(space.camera().project({0, 0, 1}).y, centre.y);
    EXPECT_GT(space.camera().project(space.camera().screenRight()).x, centre.x);
    EXPECT_EQ(space.spin, spin);
  }
}

TEST(GraphSpace3DTest, AnEmptyFrameShowsTheBoxAndTheThreeAxes) {
  CGraphSpace3D space(kWindow);
  LabelRecorder text;
  const FrameBuffer frame = drawnFrame(space, DrawFlag::All, &text);
  const Camera& camera = space.camera();
  EXPECT_EQ(frame.pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(frame.pixel(599, 399), 0xFFFFFFu);
  // Half-way along each axis the line has that axis's own dark colour.
  for (std::size_t axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    Vector3 half{};
    half[axis] = 0.5;
    // The line's pixel may sit one off the exact projection.
    const ProjectedPoint at = camera.project(half);
    std::uint32_t pixel = 0xFFFFFFu;
    for (int dy = -1; dy <= 1 && pixel == 0xFFFFFFu; ++dy)
      for (int dx = -1; dx <= 1 && pixel == 0xFFFFFFu; ++dx)
        pixel = frame.pixel(static_cast<int>(at.x) + dx, static_cast<int>(at.y) + dy);
    const std::array<unsigned, 3> channels{pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF};
    for (std::size_t other = 0; other < 3; ++other)
      if (other != axis) {
        EXPECT_GT(channels[axis], channels[other]);
      }
    EXPECT_LT(channels[axis], 200u);
  }
  // Every corner of the box is drawn.
  for (int corner = 0; corner < 8; ++corner) {
    const Vector3 p{corner & 1 ? 1.0 : -1.0, corner & 2 ? 1.0 : -1.0, corner & 4 ? 1.0 : -1.0};
    EXPECT_NE(pixelAt(frame, camera.project(p)), 0xFFFFFFu) << "corner " << corner;
  }
  // The letters sit just past the positive ends of their axes.
  ASSERT_EQ(text.labels.size(), 3u);
  const char* names[] = {"x", "y", "z"};
  for (std::size_t axis = 0; axis < 3; ++axis) {
    SCOPED_TRACE(axis);
    Vector3 end{};
    end[axis] = 1.12;
    const ProjectedPoint at = camera.project(end);
    EXPECT_EQ(text.labels[axis].first, names[axis]);
    EXPECT_NEAR(text.labels[axis].second.x + 3, at.x, 1.0);
    EXPECT_NEAR(text.labels[axis].second.y + 5, at.y, 1.0);
  }
  EXPECT_EQ(space.lastFrameTriangles(), 0);
}

TEST(GraphSpace3DTest, AGraphHidesTheBackOfTheBoxButNotItsFront) {
  CGraphSpace3D space(kWindow);
  space.setViewAngles(0, 0);
  const FrameBuffer empty = drawnFrame(space);
  FakeGraph& graph = addFake(space, 1);
  graph.drawsTriangle = true;
  const FrameBuffer frame = drawnFrame(space);
  const Camera& camera = space.camera();

  // The eye is on the x axis: the top back edge lies at x = -1, the top front edge at x = 1.
  const ProjectedPoint back = camera.project({-1, 0.5, 1});
  const ProjectedPoint front = camera.project({1, 0.5, 1});
  const std::uint32_t triangle = pixelAt(frame, camera.project({0, 0.5, -0.5}));
  ASSERT_NE(triangle, 0xFFFFFFu);
  ASSERT_NE(pixelAt(empty, back), 0xFFFFFFu);
  EXPECT_EQ(pixelAt(frame, back), triangle);
  EXPECT_EQ(pixelAt(frame, front), pixelAt(empty, front));
  EXPECT_NE(pixelAt(frame, front), triangle);

  EXPECT_EQ(space.lastFrameTriangles(), 1);
  (void)drawnFrame(space);
  EXPECT_EQ(space.totalTriangles(), 2);
}

// Through the container, as the view paints: the graphs need the frame's depth, and the flags
// choose between the box and axes and the graphs.
TEST(GraphSpace3DTest, TheContainerPaintsSpaceWithDepthAndItsFlags) {
  struct Row {
    const char* name;
    unsigned flags;
    int renders;
    bool greyLines;
    bool triangle;
  };
  const Row rows[] = {
      {"box and axes only", DrawFlag::Background, 0, true, false},
      {"graphs only", DrawFlag::Graphs, 1, false, true},
      {"everything", DrawFlag::All, 1, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ManualClock clock;
    CGraphContainer container(kWindow, clock);
    container.setActive3D(true);
    FakeGraph& graph = addFake(container.space3D(), 1);
    graph.drawsTriangle = true;
    FrameBuffer frame;
    ASSERT_TRUE(frame.resize(kWindow.width(), kWindow.height()));
    ASSERT_TRUE(drawGraphPicture(container, frame, nullptr, row.flags));
    EXPECT_EQ(graph.renderCalls, row.renders);
    EXPECT_EQ(container.space3D().lastFrameTriangles(), row.renders);
    EXPECT_EQ(countPixels(frame, isRed) > 10000, row.triangle);
    EXPECT_EQ(countPixels(frame, isGrey) > 0, row.greyLines);
  }
}

TEST(GraphSpace3DTest, GraphOptionsReachOnlyTheGraphAtTheIndex) {
  struct Row {
    int code;
    int index;
    bool forwarded;
    int redraws;
  };
  const Row rows[] = {
      {5, 1, true, 1},  {6, 1, true, 1},   {7, 1, true, 0},
      {5, 2, false, 0}, {6, -1, false, 0}, {8, 1, false, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "code " << row.code << " index " << row.index);
    CGraphSpace3D space(kWindow);
    FakeGraph& first = addFake(space, 1);
    FakeGraph& second = addFake(space, 1);
    int redraws = 0;
    space.setRedrawNow([&] { ++redraws; });
    const Matrix3 spin = space.spin;
    space.setProperty(row.code, 0.75, row.index);
    EXPECT_TRUE(first.options.empty());
    using Options = std::vector<std::pair<int, double>>;
    const Options expected = row.forwarded ? Options{{row.code, 0.75}} : Options{};
    EXPECT_EQ(second.options, expected);
    EXPECT_EQ(redraws, row.redraws);
    EXPECT_EQ(space.spin, spin);
  }
}

TEST(GraphSpace3DTest, APressOnAGraphIsAClickThatNeverTurnsThePicture) {
  struct Row {
    const char* name;
    PixelPoint press;
    unsigned modifiers;
    bool turns;
  };
  const Row rows[] = {
      {"on the graph", {250, 180}, 0, false},
      {"on the graph with Control", {250, 180}, MouseModifier::Control, true},
      {"on the graph with Shift", {250, 180}, MouseModifier::Shift, true},
      {"beside the graph", {251, 180}, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CGraphSpace3D space(kWindow);
    FakeGraph& graph = addFake(space, 1);
    graph.hitPoint = {250, 180};
    const Matrix3 start = space.orientation;
    space.mouseDown(row.press, row.modifiers, false);
    EXPECT_FALSE(space.spinning);
    space.mouseMove({row.press.x + 40, row.press.y + 30}, row.press);
    EXPECT_EQ(space.orientation != start, row.turns);
    space.mouseUp({row.press.x + 40, row.press.y + 30});
    EXPECT_EQ(space.spinning, row.turns);
  }
}

TEST(GraphSpace3DTest, OrientationSpinAndRangesSurviveTheSettingsBlock) {
  ManualClock clock;
  CGraphContainer container(kWindow, clock);
  CGraphSpace3D& space = container.space3D();
  space.setViewAngles(40, 25);
  space.setProperty(3, 0.02, 0);
  ASSERT_TRUE(space.setRange(5, true, 1.5)); // φ
  ASSERT_TRUE(space.setRange(1, false, -3));
  const std::vector<std::uint8_t> saved = container.saveSettings();
  ASSERT_EQ(saved.size() - CGraphContainer::kPlaneSettingsBytes, 308u);

  CGraphContainer other(kWindow, clock);
  other.space3D().setProperty(1, 0, 0);
  ASSERT_TRUE(other.loadSettings(saved));
  const CGraphSpace3D& loaded = other.space3D();
  EXPECT_EQ(loaded.orientation, space.orientation);
  EXPECT_EQ(loaded.spin, space.spin);
  EXPECT_TRUE(loaded.spinning);
  EXPECT_EQ(loaded.ranges, space.ranges);
  // The loaded view is drawn from its own eye.
  CGraphSpace3D& drawn = other.space3D();
  (void)drawnFrame(drawn);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(drawn.camera().eye()[i], space.camera().eye()[i], 1e-12);
}

} // namespace
} // namespace vexmar
