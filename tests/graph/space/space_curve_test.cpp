#include "graph/space/parametric_curve_3d.h"
#include "graph/space/vector_field_3d.h"

#include "graph/space/graph_space_3d.h"
#include "model/clock.h"
#include "numeric/numeric_state.h"
#include "raster/rasteriser.h"

#include "../../text/text_form_builders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vexmar {
namespace {

// top, left, bottom, right: 600 pixels wide, 400 high.
constexpr PixelRect kWindow{0, 0, 400, 600};
constexpr int kT = static_cast<int>(Coordinate::T);

using test::text::c;
using test::text::read;
std::string n(double v) { return "num[" + std::to_string(v) + ",\"" + std::to_string(v) + "\"]"; }

std::unique_ptr<Evaluator> formula(const std::string& text) {
  ObjectPtr tree = read(text);
  return std::make_unique<Evaluator>(tree ? std::move(tree) : makeNumber(0));
}

SpaceComponents components(const std::string& x, const std::string& y, const std::string& z) {
  return {formula(x), formula(y), formula(z)};
}

// A frame to draw into: 32-bit pixels cleared to 0 and depths beyond the far plane.
struct Picture {
  explicit Picture(const CGraphSpace3D& space)
      : pixels(static_cast<std::size_t>(kWindow.width() * kWindow.height()), 0), depth(pixels.size(), 2.0),
        raster({{reinterpret_cast<std::uint8_t*>(pixels.data()), kWindow.width() * 4, kWindow.width(),
                 kWindow.height(), PixelFormatCode::Xrgb8888, 0},
                depth.data()}),
        frame{raster, space.camera(), {}, counters} {}
  [[nodiscard]] int drawn() const {
    int count = 0;
    for (std::uint32_t p : pixels) count += (p & 0xFFFFFF) != 0;
    return count;
  }
  // Drawn pixels within `radius` of a box point's image.
  [[nodiscard]] int drawnNear(const Camera& camera, const Vector3& point, int radius) const {
    const ProjectedPoint at = camera.project(point);
    int count = 0;
    for (int y = static_cast<int>(at.y) - radius; y <= static_cast<int>(at.y) + radius; ++y)
      for (int x = static_cast<int>(at.x) - radius; x <= static_cast<int>(at.x) + radius; ++x)
        if (x >= 0 && y >= 0 && x < kWindow.width() && y < kWindow.height())
          count += (pixels[static_cast<std::size_t>(y * kWindow.width() + x)] & 0xFFFFFF) != 0;
    return count;
  }
  std::vector<std::uint32_t> pixels;
  std::vector<double> depth;
  Rasteriser raster;
  SpaceFrameCounters counters;
  SpaceFrame frame;
};

PixelPoint pixelOf(const Camera& camera, const Vector3& point) {
  const ProjectedPoint at = camera.project(point);
  return {static_cast<int>(std::floor(at.x)), static_cast<int>(std::floor(at.y))};
}

void computeAll(CGraph3D& graph) {
  for (int slice = 0; slice < 100000 && !graph.isComplete(); ++slice) graph.compute(50);
  ASSERT_TRUE(graph.isComplete());
}

class SpaceCurveTest : public ::testing::Test {
protected:
  void SetUp() override { resetNumericState(); }
  void TearDown() override { resetNumericState(); }

  std::unique_ptr<CParametricCurve3D> curve(SpaceComponents parts, double resolution = 0.0,
                                            std::unique_ptr<Evaluator> condition = nullptr) {
    return std::make_unique<CParametricCurve3D>(space, space.heldRange(Coordinate::T), std::move(parts),
                                                std::move(condition), nullptr, resolution);
  }
  std::unique_ptr<CVectorField3D> field(SpaceComponents parts, double resolution = 0.0,
                                        std::unique_ptr<Evaluator> condition = nullptr) {
    return std::make_unique<CVectorField3D>(space, std::move(parts), std::move(condition), nullptr,
                                            resolution);
  }

  ManualClock clock{0, 1};
  CGraphSpace3D space{kWindow, &clock};
};

TEST_F(SpaceCurveTest, PointAndLatticeCountsFollowTheResolution) {
  const struct {
    double resolution;
    int points;
    int lattice;
  } rows[] = {{0.0, 200, 4}, {1.0, 1000, 16}, {0.5, 600, 10}, {NAN, 200, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.resolution);
    auto line = curve(components(c("u"), n(0), n(0)), row.resolution);
    EXPECT_EQ(line->pointCount(), row.points);
    computeAll(*line);
    EXPECT_EQ(line->points().size(), static_cast<std::size_t>(row.points));

    auto arrows = field(components(n(1), n(0), n(0)), row.resolution);
    EXPECT_EQ(arrows->latticeSize(), row.lattice);
    computeAll(*arrows);
    EXPECT_EQ(arrows->samples().size(), static_cast<std::size_t>(row.lattice * row.lattice * row.lattice));
  }
}

TEST_F(SpaceCurveTest, CurvePointsSpanTheTRangeInBoxUnits) {
  // t from -1 to 3 and x = t: box x runs from -0.5 to 1.5 over the x range [-2, 2].
  space.setRange(kT, false, -1);
  space.setRange(kT, true, 3);
  auto line = curve(components(c("u"), "times[" + n(2) + "," + c("u") + "]", n(1)));
  computeAll(*line);
  const auto points = line->points();
  ASSERT_EQ(points.size(), 200u);
  for (std::size_t i : {std::size_t{0}, std::size_t{99}, std::size_t{199}}) {
    const double t = -1 + 4.0 * static_cast<double>(i) / 199;
    EXPECT_NEAR(points[i][0], t / 2, 1e-12) << i;
    EXPECT_NEAR(points[i][1], t, 1e-12) << i;
    EXPECT_NEAR(points[i][2], 0.5, 1e-12) << i;
  }
  EXPECT_EQ(line->status(), GraphStatus::None);
  // The farthest point is t = 3: (1.5, 3, 0.5).
  EXPECT_NEAR(line->boundingRadius(), std::sqrt(1.5 * 1.5 + 9 + 0.25), 1e-12);
}

TEST_F(SpaceCurveTest, ComputingStopsWhenTheBudgetRunsOutAndGoesOnLater) {
  // The clock moves 1 ms per reading: a 10 ms budget covers a few points only.
  auto line = curve(components(c("u"), n(0), n(0)));
  line->compute(10);
  EXPECT_FALSE(line->isComplete());
  const auto flags = line->validFlags();
  const auto done = std::count(flags.begin(), flags.end(), 1);
  EXPECT_GT(done, 0);
  EXPECT_LT(done, 20);
  computeAll(*line);
  EXPECT_EQ(std::count(line->validFlags().begin(), line->validFlags().end(), 1), 200);
}

TEST_F(SpaceCurveTest, NothingValidGivesTheRangesStatus) {
  const std::string undefined = "sqrt[minus[" + n(1) + "]]";
  auto line = curve(components(c("u"), undefined, n(0)));
  computeAll(*line);
  EXPECT_EQ(line->status(), GraphStatus::UndefinedOrInfiniteForRanges);
  EXPECT_EQ(line->boundingRadius(), 0.0);
  // An infinite coordinate is no point either.
  auto infinite = curve(components("over[" + n(1) + "," + n(0) + "]", n(0), n(0)));
  computeAll(*infinite);
  EXPECT_EQ(infinite->status(), GraphStatus::UndefinedOrInfiniteForRanges);

  const struct {
    const char* name;
    std::string x;
    GraphStatus status;
  } fields[] = {
      {"undefined vectors", undefined, GraphStatus::UndefinedOrInfiniteForRanges},
      {"zero vectors", n(0), GraphStatus::None},
      {"defined vectors", c("x"), GraphStatus::None},
  };
  for (const auto& row : fields) {
    SCOPED_TRACE(row.name);
    auto arrows = field(components(row.x, n(0), n(0)));
    computeAll(*arrows);
    EXPECT_EQ(arrows->status(), row.status);
  }
}

TEST_F(SpaceCurveTest, AConditionBreaksTheCurve) {
  // The segment from y = -2 to 2 along the box's y axis, without the part where |y| < 0.5.
  space.setRange(kT, false, -2);
  space.setRange(kT, true, 2);
  auto line =
      curve(components(n(0), c("u"), n(0)), 0.0, formula("greaterthan[abs[" + c("y") + "]," + n(0.5) + "]"));
  computeAll(*line);
  const auto flags = line->validFlags();
  EXPECT_EQ(flags.front(), 1);
  EXPECT_EQ(flags[100], 0);
  EXPECT_EQ(flags.back(), 1);
  // Exactly the points with |t| > 0.5 are valid.
  for (std::size_t i = 0; i < flags.size(); ++i)
    EXPECT_EQ(flags[i] == 1, std::abs(-2 + 4.0 * static_cast<double>(i) / 199) > 0.5) << i;

  Picture picture(space);
  line->render(picture.frame);
  const Camera& camera = space.camera();
  EXPECT_GT(picture.drawnNear(camera, {0, -0.75, 0}, 1), 0);
  EXPECT_GT(picture.drawnNear(camera, {0, 0.75, 0}, 1), 0);
  EXPECT_EQ(picture.drawnNear(camera, {0, 0, 0}, 3), 0) << "the gap is left open";
  EXPECT_TRUE(line->hitTest(pixelOf(camera, {0, 0.75, 0}), camera));
  EXPECT_FALSE(line->hitTest(pixelOf(camera, {0, 0, 0}), camera));
}

TEST_F(SpaceCurveTest, HitTestingAllowsAFewPixels) {
  space.setRange(kT, false, -2);
  space.setRange(kT, true, 2);
  auto line = curve(components(n(0), c("u"), n(0)));
  computeAll(*line);
  const Camera& camera = space.camera();
  // The curve runs across the screen through the image of the centre.
  const PixelPoint centre = pixelOf(camera, {0, 0, 0});
  EXPECT_TRUE(line->hitTest(centre, camera));
  EXPECT_TRUE(line->hitTest({centre.x, centre.y + 3}, camera));
  EXPECT_FALSE(line->hitTest({centre.x, centre.y + 6}, camera));
}

TEST_F(SpaceCurveTest, ResolutionAndParametersRestartOnlyWhatTheyConcern) {
  auto line = curve(components(c("a"), c("u"), n(0)));
  computeAll(*line);
  EXPECT_FALSE(line->dependsOn('b'));
  EXPECT_TRUE(line->isComplete());
  EXPECT_TRUE(line->dependsOn('a'));
  EXPECT_FALSE(line->isComplete());

  line->setOption(Graph3DOption::Resolution, 1.0);
  EXPECT_EQ(line->pointCount(), 1000);
  EXPECT_FALSE(line->isComplete());
  computeAll(*line);
  EXPECT_EQ(line->points().size(), 1000u);

  // The spare value is not the curve's; the colour index is.
  line->setOption(Graph3DOption::SpareValue, 3.0);
  EXPECT_TRUE(line->isComplete());
  line->setOption(Graph3DOption::ColourIndex, 2.0);
  EXPECT_EQ(line->style().colour, 0x0000FFu);
  EXPECT_TRUE(line->isComplete());

  auto arrows = field(components(c("y"), c("k"), n(0)));
  computeAll(*arrows);
  EXPECT_FALSE(arrows->dependsOn('a'));
  EXPECT_TRUE(arrows->dependsOn('k'));
  EXPECT_FALSE(arrows->isComplete());
  arrows->setOption(Graph3DOption::Resolution, 1.0);
  EXPECT_EQ(arrows->latticeSize(), 16);
}

TEST_F(SpaceCurveTest, FieldLatticeRunsXFastestOverTheSpaceRanges) {
  space.setRange(2, false, 0); // z from 0 to 6
  space.setRange(2, true, 6);
  auto arrows = field(components(c("x"), c("y"), c("z")));
  computeAll(*arrows);
  const auto samples = arrows->samples();
  ASSERT_EQ(samples.size(), 64u);
  // Lattice index i + 4 j + 16 k; the vector is the point itself.
  const int index = 1 + 4 * 2 + 16 * 3;
  const CVectorField3D::FieldSample& s = samples[index];
  EXPECT_NEAR(s.vector[0], -2 + 4.0 / 3, 1e-12);
  EXPECT_NEAR(s.vector[1], -2 + 8.0 / 3, 1e-12);
  EXPECT_NEAR(s.vector[2], 6, 1e-12);
  EXPECT_NEAR(s.position[0], -1 + 2.0 / 3, 1e-12);
  EXPECT_NEAR(s.position[1], -1 + 4.0 / 3, 1e-12);
  EXPECT_NEAR(s.position[2], 1, 1e-12);
  EXPECT_NEAR(arrows->largestLength(), std::sqrt(4 + 4 + 36), 1e-12);
}

TEST_F(SpaceCurveTest, TheLongestArrowSpansOneLatticeStep) {
  // Each row's ranges scale the axes differently; the arrows are measured as the box shows them.
  const struct {
    const char* name;
    std::string x, y, z;
    CoordinateRange zRange;
  } rows[] = {
      {"along x, growing with x", c("x"), n(0), n(0), {-2, 2}},
      {"constant, unequal axes", n(1), n(1), n(1), {-10, 10}},
      {"swirl", "minus[" + c("y") + "]", c("x"), c("z"), {0, 1}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    space.setRange(2, false, row.zRange.min);
    space.setRange(2, true, row.zRange.max);
    auto arrows = field(components(row.x, row.y, row.z), 0.5);
    computeAll(*arrows);
    const double step = 2.0 / (arrows->latticeSize() - 1);
    const Vector3 halfWidth{2, 2, (row.zRange.max - row.zRange.min) / 2};
    double longest = 0;
    for (int k = 0; k < static_cast<int>(arrows->samples().size()); ++k) {
      const auto head = arrows->arrowHead(k);
      ASSERT_TRUE(head);
      const CVectorField3D::FieldSample& s = arrows->samples()[static_cast<std::size_t>(k)];
      Vector3 arrow{};
      for (std::size_t a = 0; a < 3; ++a) arrow[a] = (*head)[a] - s.position[a];
      const double length = std::hypot(arrow[0], arrow[1], arrow[2]);
      longest = std::max(longest, length);
      // Along the vector as the box shows it: each component over its axis's half-width.
      const Vector3 inBox{s.vector[0] / halfWidth[0], s.vector[1] / halfWidth[1], s.vector[2] / halfWidth[2]};
      const double boxLength = std::hypot(inBox[0], inBox[1], inBox[2]);
      for (std::size_t a = 0; a < 3 && boxLength > 0; ++a)
        EXPECT_NEAR(arrow[a] / length, inBox[a] / boxLength, 1e-9) << k << " axis " << a;
    }
    EXPECT_NEAR(longest, step, 1e-12);
  }
}

TEST_F(SpaceCurveTest, FieldConditionAndDrawing) {
  // Only the points with x > 0 carry arrows; each arrow ends in a dot.
  auto arrows =
      field(components(n(0), c("z"), n(0)), 0.0, formula("greaterthan[" + c("x") + "," + n(0) + "]"));
  computeAll(*arrows);
  const auto flags = arrows->validFlags();
  for (std::size_t k = 0; k < flags.size(); ++k) EXPECT_EQ(flags[k] == 1, k % 4 >= 2) << k;
  EXPECT_FALSE(arrows->arrowHead(0));
  EXPECT_FALSE(arrows->arrowHead(-1));

  // Turned so that no two lattice points share an image.
  space.orientation = multiply(axisRotation(2, 0.5), axisRotation(1, 0.4));
  space.layoutChanged(kWindow);
  Picture picture(space);
  arrows->render(picture.frame);
  EXPECT_GT(picture.drawn(), 0);
  const Camera& camera = space.camera();
  const auto head = arrows->arrowHead(2 + 4 * 1 + 16 * 1);
  ASSERT_TRUE(head);
  EXPECT_GT(picture.drawnNear(camera, *head, 1), 0);
}

} // namespace
} // namespace vexmar
