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
    int points, lattice;
  } rows[] = {{0.0, 200, 4}, {1.0, 1000, 16}, {0.5, 600, 10}, {NAN, 200, 4}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.resolution);
    auto line = curve(components(c("u"), n(0), n(0)), row.resolution);
    computeAll(*line);
    EXPECT_EQ(line->points().size(), static_cast<std::size_t>(row.points));
    auto arrows = field(components(n(1), n(0), n(0)), row.resolution);
    computeAll(*arrows);
    EXPECT_EQ(arrows->samples().size(), static_cast<std::size_t>(row.lattice * row.lattice * row.lattice));
  }
}

TEST_F(SpaceCurveTest, TheTRangeStartsWhereTheSpaceSaysAndEndsWhereTheCurveWasBuilt) {
  auto line = curve(components(c("u"), n(0), n(0))); // x = t, built over t in [0, 1]
  space.setRange(kT, false, -2);
  space.setRange(kT, true, 4);
  computeAll(*line);
  EXPECT_DOUBLE_EQ(line->points().front()[0], -1.0); // t = -2 is x = -2, box -1
  EXPECT_DOUBLE_EQ(line->points().back()[0], 0.5);   // t = 1 is x = 1, box 0.5
}

TEST_F(SpaceCurveTest, ComputingStopsWhenTheBudgetRunsOutAndGoesOnLater) {
  // The clock moves 1 ms per reading: a 10 ms budget covers a few points only.
  auto line = curve(components(c("u"), n(0), n(0)));
  line->compute(10);
  const auto done = std::count(line->validFlags().begin(), line->validFlags().end(), 1);
  EXPECT_GT(done, 0);
  EXPECT_LT(done, 20);
  computeAll(*line);
  EXPECT_EQ(std::count(line->validFlags().begin(), line->validFlags().end(), 1), 200);
}

TEST_F(SpaceCurveTest, NothingToDrawGivesTheRangesStatus) {
  const std::string undefined = "sqrt[minus[" + n(1) + "]]";
  const GraphStatus none = GraphStatus::None, nothing = GraphStatus::UndefinedOrInfiniteForRanges;
  const struct {
    const char* name;
    std::string x, condition;
    GraphStatus curve, field;
  } rows[] = {
      {"undefined", undefined, "", nothing, nothing},
      {"infinite", "over[" + n(1) + "," + n(0) + "]", "", nothing, nothing},
      {"zero", n(0), "", none, none},
      {"defined", c("x"), "", none, none},
      {"never accepted", n(1), "greaterthan[" + c("x") + "," + n(10) + "]", nothing, nothing},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto line =
        curve(components(row.x, n(0), n(0)), 0.0, row.condition.empty() ? nullptr : formula(row.condition));
    computeAll(*line);
    EXPECT_EQ(line->status(), row.curve);
    auto arrows =
        field(components(row.x, n(0), n(0)), 0.0, row.condition.empty() ? nullptr : formula(row.condition));
    computeAll(*arrows);
    EXPECT_EQ(arrows->status(), row.field);
  }
}

TEST_F(SpaceCurveTest, AConditionBreaksTheCurve) {
  // y from -2 to 2 along the box's y axis, without the part where |y| < 0.5.
  space.setRange(kT, false, -2);
  space.setRange(kT, true, 2);
  auto line =
      curve(components(n(0), c("u"), n(0)), 0.0, formula("greaterthan[abs[" + c("y") + "]," + n(0.5) + "]"));
  computeAll(*line);
  const auto flags = line->validFlags();
  for (std::size_t i = 0; i < flags.size(); ++i)
    EXPECT_EQ(flags[i] == 1, std::abs(-2 + 4.0 * static_cast<double>(i) / 199) > 0.5) << i;

  Picture picture(space);
  line->render(picture.frame);
  const Camera& camera = space.camera();
  EXPECT_GT(picture.drawnNear(camera, {0, -0.75, 0}, 1), 0);
  EXPECT_GT(picture.drawnNear(camera, {0, 0.75, 0}, 1), 0);
  EXPECT_EQ(picture.drawnNear(camera, {0, 0, 0}, 3), 0) << "the gap is left open";
  // The curve runs across the screen; a click within 4 pixels of it is on it.
  const PixelPoint onCurve = pixelOf(camera, {0, 0.75, 0});
  EXPECT_TRUE(line->hitTest({onCurve.x, onCurve.y + 3}, camera));
  EXPECT_FALSE(line->hitTest({onCurve.x, onCurve.y + 6}, camera));
  EXPECT_FALSE(line->hitTest(pixelOf(camera, {0, 0, 0}), camera));
}

TEST_F(SpaceCurveTest, OnlyAUsedLetterOrANewResolutionStartsAgain) {
  auto line = curve(components(c("a"), c("u"), n(0)));
  auto arrows = field(components(c("y"), c("k"), n(0)));
  computeAll(*line);
  computeAll(*arrows);
  EXPECT_FALSE(line->dependsOn('k'));
  EXPECT_FALSE(arrows->dependsOn('a'));
  line->setOption(Graph3DOption::SpareValue, 3.0);
  EXPECT_TRUE(line->isComplete() && arrows->isComplete());
  EXPECT_TRUE(line->dependsOn('a'));
  EXPECT_TRUE(arrows->dependsOn('k'));
  EXPECT_FALSE(line->isComplete() || arrows->isComplete());

  line->setOption(Graph3DOption::Resolution, 1.0);
  arrows->setOption(Graph3DOption::Resolution, 1.0);
  EXPECT_EQ(line->pointCount(), 1000);
  EXPECT_EQ(arrows->latticeSize(), 16);
}

TEST_F(SpaceCurveTest, FieldLatticeRunsXFastestOverTheSpaceRanges) {
  space.setRange(2, false, 0); // z from 0 to 6
  space.setRange(2, true, 6);
  auto arrows = field(components(c("x"), c("y"), c("z")));
  computeAll(*arrows);
  // Lattice point (1, 2, 3) is at index 1 + 4·2 + 16·3; its vector is the point itself.
  const CVectorField3D::FieldSample& s = arrows->samples()[1 + 4 * 2 + 16 * 3];
  const Vector3 at{-2 + 4.0 / 3, -2 + 8.0 / 3, 6}, inBox{-1 + 2.0 / 3, -1 + 4.0 / 3, 1};
  for (std::size_t a = 0; a < 3; ++a) {
    EXPECT_NEAR(s.vector[a], at[a], 1e-12);
    EXPECT_NEAR(s.position[a], inBox[a], 1e-12);
  }
  EXPECT_NEAR(arrows->largestLength(), std::sqrt(4 + 4 + 36), 1e-12);
}

TEST_F(SpaceCurveTest, TheLongestArrowSpansOneLatticeStep) {
  // Each row's z range scales that axis differently; arrows are measured as the box shows them.
  const struct {
    const char* name;
    std::string x, y, z;
    double zHalfWidth;
  } rows[] = {
      {"along x, growing with x", c("x"), n(0), n(0), 2},
      {"constant, unequal axes", n(1), n(1), n(1), 10},
      {"swirl", "minus[" + c("y") + "]", c("x"), c("z"), 0.5},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    space.setRange(2, false, -row.zHalfWidth);
    space.setRange(2, true, row.zHalfWidth);
    auto arrows = field(components(row.x, row.y, row.z), 0.5);
    computeAll(*arrows);
    const Vector3 halfWidth{2, 2, row.zHalfWidth};
    double longest = 0;
    for (int k = 0; k < static_cast<int>(arrows->samples().size()); ++k) {
      const auto head = arrows->arrowHead(k);
      ASSERT_TRUE(head);
      const CVectorField3D::FieldSample& s = arrows->samples()[static_cast<std::size_t>(k)];
      Vector3 arrow{}, inBox{};
      for (std::size_t a = 0; a < 3; ++a) {
        arrow[a] = (*head)[a] - s.position[a];
        inBox[a] = s.vector[a] / halfWidth[a];
      }
      const double length = std::hypot(arrow[0], arrow[1], arrow[2]);
      const double boxLength = std::hypot(inBox[0], inBox[1], inBox[2]);
      longest = std::max(longest, length);
      for (std::size_t a = 0; a < 3 && boxLength > 0; ++a)
        EXPECT_NEAR(arrow[a] / length, inBox[a] / boxLength, 1e-9) << k << " axis " << a;
    }
    EXPECT_NEAR(longest, 2.0 / (arrows->latticeSize() - 1), 1e-12);
  }

  // Drawn turned, so that no two lattice points share an image: a dot marks each arrow's head.
  space.orientation = multiply(axisRotation(2, 0.5), axisRotation(1, 0.4));
  space.layoutChanged(kWindow);
  auto arrows = field(components(n(0), c("z"), n(0)));
  computeAll(*arrows);
  Picture picture(space);
  arrows->render(picture.frame);
  const auto head = arrows->arrowHead(2 + 4 * 1 + 16 * 1);
  ASSERT_TRUE(head);
  EXPECT_GT(picture.drawnNear(space.camera(), *head, 1), 0);
}

} // namespace
} // namespace vexmar
